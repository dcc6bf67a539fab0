#ifndef IMAGELISTITEM_H
#define IMAGELISTITEM_H

#include "categorypanel_global.h"

#include <QString>
#include <QVector>

namespace MMobile {
class IPhoto;
class IVoiceMemo;
} // namespace MMobile

// One row of the photo grid: either a day title or the entry of one file item
// (photo or voice memo). A plain value, copied freely; the photo and recording
// pointers are borrowed from the engine and never released here.
class ImageListItem
{
public:
    ImageListItem();
    // A day title showing `day` ("dd-MM-yyyy").
    explicit ImageListItem(const QString& day);
    ImageListItem(MMobile::IPhoto* photo, int dataIndex);
    ImageListItem(MMobile::IVoiceMemo* recording, int dataIndex);

    // For a title, the summary tick of its day.
    Qt::CheckState checkState;
    bool isTitle;
    MMobile::IPhoto* photo;
    MMobile::IVoiceMemo* recording;
    // Position of the item in the engine's list of the category; -1 for titles.
    int dataIndex;
    QString text;
    // Title: its day is collapsed. Photo entry: hidden by a collapsed day.
    bool hidden;
    // Title only: entry-list positions of the day's photo entries.
    QVector<int> memberRows;
};

#endif // IMAGELISTITEM_H
