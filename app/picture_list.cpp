#include "app/picture_list.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

namespace picture_list {
namespace {

QImage render(const char* resource)
{
    QImage image(Size, Size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QSvgRenderer renderer(QString::fromLatin1(resource));
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

// The disabled pictures are their coloured picture in grey, lightened, with the same mask.
QImage greyed(QImage image)
{
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grey = 96 + qGray(line[x]) * 128 / 255;
            line[x] = qRgba(grey, grey, grey, qAlpha(line[x]));
        }
    }
    return image;
}

} // namespace

QPixmap picture(int index)
{
    switch (index) {
    case InsertRecord: return QPixmap::fromImage(render(":/pictures/insert_record.svg"));
    case DeleteRecord: return QPixmap::fromImage(render(":/pictures/delete_record.svg"));
    case Save: return QPixmap::fromImage(render(":/pictures/save.svg"));
    case View: return QPixmap::fromImage(render(":/pictures/view.svg"));
    case InsertRecordGrey: return QPixmap::fromImage(greyed(render(":/pictures/insert_record.svg")));
    case SaveGrey: return QPixmap::fromImage(greyed(render(":/pictures/save.svg")));
    case DeleteRecordGrey: return QPixmap::fromImage(greyed(render(":/pictures/delete_record.svg")));
    case Open: return QPixmap::fromImage(render(":/pictures/open.svg"));
    case Exit: return QPixmap::fromImage(render(":/pictures/exit.svg"));
    default: return {};
    }
}

} // namespace picture_list
