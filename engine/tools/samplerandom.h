#ifndef SAMPLERANDOM_H
#define SAMPLERANDOM_H

#include <QString>

#include <vector>

// The seeded source of everything the sample backup invents (xorshift32), so
// that the same seed always gives the same records. Used by one writer.
class SampleRandom
{
public:
    explicit SampleRandom(quint32 seed);

    quint32 Next();
    // A number from `low` to `high`, both included.
    int Range(int low, int high);
    template <class T> const T& Pick(const std::vector<T>& list)
    {
        return list[static_cast<std::size_t>(Range(0, static_cast<int>(list.size()) - 1))];
    }
    // A few words, now and then with what CSV and vCard writers must quote.
    QString Sentence();
    QString PhoneNumber();

private:
    quint32 m_state;
};

#endif // SAMPLERANDOM_H
