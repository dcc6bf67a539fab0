#ifndef SAMPLEWORDS_H
#define SAMPLEWORDS_H

#include <QString>

#include <vector>

// The word lists the sample backup invents its names and texts from, with
// letters beyond ASCII on purpose. Plain data.
struct SampleWords
{
    static const std::vector<QString> FirstNames;
    static const std::vector<QString> LastNames;
    static const std::vector<QString> Companies; // one empty: a contact without a company
    static const std::vector<QString> Words;
    static const std::vector<QString> Places;
    static const std::vector<QString> Domains;
};

#endif // SAMPLEWORDS_H
