// A temporary folder tree for the chooser and dialog tests; the process's
// current folder is put back afterwards, since the chooser moves it.
#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>

#include "platform/current_folder.h"

namespace ravo::testing {

class TemporaryTree : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        root_ = QFile::encodeName(QDir(folder_.path()).canonicalPath()).toStdString();
        start_ = CurrentFolder();
    }
    void TearDown() override { SetCurrentFolder(start_); }

    std::string MakeFolder(const std::string& relative)
    {
        const std::string path = root_ + "/" + relative;
        EXPECT_TRUE(QDir().mkpath(QFile::decodeName(QByteArray::fromStdString(path)))) << path;
        return path;
    }
    std::string MakeFile(const std::string& relative, const std::string& content = "text\r\n")
    {
        const std::string path = root_ + "/" + relative;
        QFile file(QFile::decodeName(QByteArray::fromStdString(path)));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << path;
        file.write(content.data(), static_cast<qint64>(content.size()));
        return path;
    }
    static std::string ReadFile(const std::string& path)
    {
        QFile file(QFile::decodeName(QByteArray::fromStdString(path)));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string("<missing>");
    }

    QTemporaryDir folder_;
    std::string root_;
    std::string start_;
};

} // namespace ravo::testing
