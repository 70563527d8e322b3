#pragma once

#include <stdexcept>

// Thrown when a backup password does not unlock the keybag; its text is the user's
// "Invalid password." message. Anything else wrong with a keybag is a plain std::runtime_error.
class InvalidPasswordError : public std::runtime_error
{
public:
    InvalidPasswordError();
};
