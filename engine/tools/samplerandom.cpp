#include "samplerandom.h"

#include "samplewords.h"

#include <QStringList>

SampleRandom::SampleRandom(quint32 seed) : m_state(seed ? seed : 1) {}

quint32 SampleRandom::Next()
{
    // xorshift32: small, fast and the same everywhere.
    m_state ^= m_state << 13;
    m_state ^= m_state >> 17;
    m_state ^= m_state << 5;
    return m_state;
}

int SampleRandom::Range(int low, int high)
{
    if (high <= low)
        return low;
    return low + static_cast<int>(Next() % static_cast<quint32>(high - low + 1));
}

QString SampleRandom::Sentence()
{
    QStringList words;
    const int count = Range(2, 9);
    for (int i = 0; i < count; ++i)
        words.append(Pick(SampleWords::Words));
    QString text = words.join(QLatin1Char(' '));
    text[0] = text[0].toUpper();
    // Some texts carry what CSV and vCard writers must quote or escape.
    switch (Range(0, 9)) {
    case 0:
        text += QStringLiteral(", really");
        break;
    case 1:
        text += QStringLiteral(" \"quoted\"");
        break;
    case 2:
        text += QStringLiteral("\nsecond line");
        break;
    case 3:
        text += QStringLiteral("; semicolon");
        break;
    default:
        text += QLatin1Char('.');
    }
    return text;
}

QString SampleRandom::PhoneNumber()
{
    return QStringLiteral("+44 7700 9%1").arg(Range(0, 99999), 5, 10, QLatin1Char('0'));
}
