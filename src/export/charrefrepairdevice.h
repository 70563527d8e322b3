#pragma once

#include <QByteArray>
#include <QIODevice>

// Reads another device and rewrites the numeric character references that strict XML parsers
// refuse: a pair of UTF-16 surrogate references ("&#55357;&#56832;", as phones' backup writers
// escape emoji) becomes one reference to the character they encode, and a lone surrogate or a
// reference to a character XML forbids becomes U+FFFD. Everything else passes unchanged, so the
// file is still parsed in one streaming pass.
class CharRefRepairDevice : public QIODevice
{
public:
    // source stays owned by the caller and must be open for reading.
    explicit CharRefRepairDevice(QIODevice &source);

    bool isSequential() const override { return true; }
    bool atEnd() const override;
    // True when the source reported a read error; the output ended there.
    bool sourceFailed() const { return m_sourceFailed; }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    // One reference at the start of text: its code and length; length 0 when the text does not
    // start with a complete reference, -1 when more input could still complete one.
    struct Reference
    {
        qint64 code = 0;
        qsizetype length = 0;
    };
    static Reference parseReference(QByteArrayView text, bool final);
    // Moves what can be decided from m_in to m_out; keeps an unfinished reference in m_in.
    void repair(bool final);
    bool fill();

    QIODevice &m_source;
    QByteArray m_in;
    QByteArray m_out;
    qsizetype m_outPos = 0;
    bool m_sourceDone = false;
    bool m_sourceFailed = false;
};
