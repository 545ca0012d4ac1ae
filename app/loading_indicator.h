#pragma once

#include <QDialog>
#include <QElapsedTimer>

class QLabel;

// The modal notice shown while a large sheet is read: it appears only when reading takes a
// while, keeps the screen painted, and cannot be closed, so nothing else starts meanwhile.
class LoadingIndicator : public QDialog {
public:
    LoadingIndicator(const QString& sheetName, QWidget* parent);

    void rowsRead(qint64 rows);

    void reject() override {}

private:
    QLabel* label_;
    QString sheetName_;
    QElapsedTimer sinceStart_;
    QElapsedTimer sinceUpdate_;
};
