#ifndef SAMPLEMEDIASTORES_H
#define SAMPLEMEDIASTORES_H

class SampleStoreContext;

// The camera roll (Photos.sqlite and the pictures, some in the trash) and
// the voice memos (their list and recordings) of a sample backup; without
// Options::media, only the empty lists. Owns nothing.
class SampleMediaStores
{
public:
    // Each appends what it wrote to the context's content.
    static bool WritePhotos(SampleStoreContext& context);
    static bool WriteVoiceMemos(SampleStoreContext& context);
};

#endif // SAMPLEMEDIASTORES_H
