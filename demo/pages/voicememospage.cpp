#include "voicememospage.h"

VoiceMemosPage::VoiceMemosPage(IUIPluginSetting* setting, const QString& workFolder)
    : DemoPhotoPage(setting, MMobile::MD_VOICE_MEMO, workFolder)
{
}
