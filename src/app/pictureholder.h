#pragma once

#include <QImage>

namespace tovik {

// imgThree: the loaded picture at its own size, never shown. Its size is kept in twips, as the
// picture services report it (a metafile's size need not be its pixel count times 15).
struct PictureHolder {
    QImage picture;
    double width = 0;  // twips
    double height = 0; // twips

    bool isEmpty() const { return picture.isNull(); }
    void clear() { *this = PictureHolder(); }
};

} // namespace tovik
