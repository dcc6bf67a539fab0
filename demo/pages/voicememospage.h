#ifndef VOICEMEMOSPAGE_H
#define VOICEMEMOSPAGE_H

#include "demophotopage.h"

// The page of the voice memos, in the photo grid.
class VoiceMemosPage : public DemoPhotoPage
{
    Q_OBJECT

public:
    VoiceMemosPage(IUIPluginSetting* setting, const QString& workFolder);
};

#endif // VOICEMEMOSPAGE_H
