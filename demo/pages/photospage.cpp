#include "photospage.h"

PhotosPage::PhotosPage(IUIPluginSetting* setting, const QString& workFolder)
    : DemoPhotoPage(setting, MMobile::MD_PHOTO, workFolder)
{
}
