#include "app/message_boxes.h"

#include <QMessageBox>

bool MessageBoxes::askOkCancel(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok | QMessageBox::Cancel, owner_);
    return box.exec() == QMessageBox::Ok;
}

void MessageBoxes::report(const QString& text, const QString& caption, data::ReportIcon icon)
{
    QMessageBox::Icon boxIcon = QMessageBox::NoIcon;
    if (icon == data::ReportIcon::Information)
        boxIcon = QMessageBox::Information;
    else if (icon == data::ReportIcon::Error)
        boxIcon = QMessageBox::Critical;
    QMessageBox box(boxIcon, caption, text, QMessageBox::Ok, owner_);
    box.exec();
}
