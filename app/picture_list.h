#pragma once

#include <QPixmap>

// The window's picture list: 24 x 24 pictures with transparency, by their index in the list.
// Only the pictures some control shows are drawn.
namespace picture_list {

constexpr int Size = 24;

enum Index {
    InsertRecord = 3,       // a yellow sheet with a pencil
    DeleteRecord = 5,       // a red cross
    Save = 6,               // a blue floppy disk
    View = 7,               // a page with two green arrows circling
    InsertRecordGrey = 13,
    SaveGrey = 15,
    DeleteRecordGrey = 16,
    Open = 32,              // an open yellow folder with a red tick
    Exit = 37,              // a yellow diamond road sign with a walking figure
};

// A null pixmap for an index no control uses.
QPixmap picture(int index);

} // namespace picture_list
