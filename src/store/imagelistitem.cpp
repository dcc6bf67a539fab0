#include "store/imagelistitem.h"

#include "contracts/iphoto.h"
#include "contracts/ivoicememo.h"

ImageListItem::ImageListItem()
    : checkState(Qt::Checked), isTitle(false), photo(nullptr), recording(nullptr), dataIndex(-1),
      hidden(false)
{
}

ImageListItem::ImageListItem(const QString& day) : ImageListItem()
{
    isTitle = true;
    text = day;
}

ImageListItem::ImageListItem(MMobile::IPhoto* photo, int dataIndex) : ImageListItem()
{
    this->photo = photo;
    this->dataIndex = dataIndex;
    if (photo)
        text = QString::fromUtf8(photo->GetDisplayText());
}

ImageListItem::ImageListItem(MMobile::IVoiceMemo* recording, int dataIndex) : ImageListItem()
{
    this->recording = recording;
    this->dataIndex = dataIndex;
    if (recording)
        text = QString::fromUtf8(recording->GetDisplayText());
}
