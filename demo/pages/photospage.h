#ifndef PHOTOSPAGE_H
#define PHOTOSPAGE_H

#include "demophotopage.h"

// The page of the photos, in the photo grid.
class PhotosPage : public DemoPhotoPage
{
    Q_OBJECT

public:
    PhotosPage(IUIPluginSetting* setting, const QString& workFolder);
};

#endif // PHOTOSPAGE_H
