#pragma once

#include <QString>

// One text cell of an exported CSV file, ready to be written between the commas.
//
// A cell that a spreadsheet would run as a formula (beginning with = + - @, a tab or a carriage
// return) gets a leading apostrophe, so that opening the export cannot run what someone wrote in a
// message. Plain numbers such as "+1 (555) 010-0000" or "-5" are left alone: made only of digits,
// blanks and + - ( ) . they can at most be calculated, never call anything.
//
// Double quotes are doubled; a cell holding a line feed, a carriage return, a comma or a double
// quote is enclosed in double quotes. (A bare carriage return ends the record for CSV readers, so
// it needs the quotes as much as a line feed does.)
QString g_csvFormat(const QString &text);
