#ifndef SAMPLEPICTURES_H
#define SAMPLEPICTURES_H

#include <QByteArray>

// The pictures of the sample backup, drawn by the program: a gradient sky, a
// sun and a hill that change with the index, so that every picture differs.
// Stateless.
class SamplePictures
{
public:
    // A 320x240 picture in a format QImage writes ("JPEG", "PNG").
    static QByteArray Picture(int index, const char* format);
    // The same picture as HEIC when libheif is there, else as JPEG.
    static QByteArray Heic(int index);
};

#endif // SAMPLEPICTURES_H
