#include "app/loading_indicator.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {
constexpr qint64 ShowAfterMs = 300;
constexpr qint64 UpdateEveryMs = 100;
}

LoadingIndicator::LoadingIndicator(const QString& sheetName, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), sheetName_(sheetName)
{
    setObjectName(QStringLiteral("LoadingIndicator"));
    setWindowModality(Qt::ApplicationModal);
    setWindowTitle(QCoreApplication::applicationName());
    label_ = new QLabel(QStringLiteral("正在打开工作表 %1……").arg(sheetName), this);
    auto* bar = new QProgressBar(this);
    bar->setRange(0, 0);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(label_);
    layout->addWidget(bar);
    sinceStart_.start();
    sinceUpdate_.start();
}

void LoadingIndicator::rowsRead(qint64 rows)
{
    if (!isVisible()) {
        if (sinceStart_.elapsed() < ShowAfterMs)
            return;
        show();
    } else if (sinceUpdate_.elapsed() < UpdateEveryMs) {
        return;
    }
    label_->setText(QStringLiteral("正在打开工作表 %1…… 已读取 %2 行").arg(sheetName_).arg(rows));
    sinceUpdate_.restart();
    QCoreApplication::processEvents();
}
