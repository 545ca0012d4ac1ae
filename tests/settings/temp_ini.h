#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// A settings file with the given bytes in a private temporary folder, removed afterwards.
class TempIni {
public:
    explicit TempIni(const QByteArray& content)
    {
        QFile file(path());
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_EQ(file.write(content), content.size());
    }

    QString path() const { return dir_.filePath(QStringLiteral("DataSet.ini")); }

private:
    QTemporaryDir dir_;
};
