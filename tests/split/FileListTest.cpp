#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "FileList.h"

using namespace plexifold;

namespace {

void touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
}

const QString kPattern = QStringLiteral("*.tif;*.tiff");

TEST(FileList, ListsMatchingFilesOnceSortedWithoutRegardToCase) {
    QTemporaryDir dir;
    for (const char* name :
         {"b.TIFF", "a.tif", "C.Tif", ".hidden.tif", "notes.txt", "d.tif.bak", "Ä.tif", "e.tiff"})
        touch(dir.filePath(QString::fromUtf8(name)));
    QDir(dir.path()).mkdir("folder.tif");

    FileList list;
    ASSERT_TRUE(list.setPath(dir.path()));
    list.setPattern(kPattern);

    EXPECT_EQ(list.names(), (QStringList{"a.tif", "b.TIFF", "C.Tif", "e.tiff", "Ä.tif"}));
    EXPECT_EQ(list.path(), QDir(dir.path()).canonicalPath());
    EXPECT_EQ(list.filePath(0), list.path() + "/a.tif");
}

TEST(FileList, ReadsTheDiskOnlyWhenSet) {
    QTemporaryDir dir;
    touch(dir.filePath("a.tif"));
    FileList list;
    list.setPattern(kPattern);
    ASSERT_TRUE(list.setPath(dir.path()));
    touch(dir.filePath("b.tif"));
    EXPECT_EQ(list.count(), 1);
    ASSERT_TRUE(list.setPath(dir.path()));
    EXPECT_EQ(list.count(), 2);
}

TEST(FileList, KeepsItsFolderWhenTheNewOneIsNoFolder) {
    QTemporaryDir dir;
    touch(dir.filePath("a.tif"));
    FileList list;
    EXPECT_EQ(list.path(), QDir::currentPath());
    list.setPattern(kPattern);
    ASSERT_TRUE(list.setPath(dir.path()));
    for (const QString& bad : {QString(), dir.filePath("gone"), dir.filePath("a.tif"),
                               QStringLiteral("Select a folder with '.TIF' files")}) {
        EXPECT_FALSE(list.setPath(bad)) << bad.toStdString();
        EXPECT_EQ(list.names(), QStringList{"a.tif"});
    }
}

TEST(FileList, RootEndsInASeparator) {
    FileList list;
    ASSERT_TRUE(list.setPath("/"));
    EXPECT_EQ(list.path(), "/");
    EXPECT_EQ(list.filePath(-1), "/");
}

TEST(FileList, HoldsManyFiles) {
    QTemporaryDir dir;
    for (int i = 0; i < 40000; ++i)
        touch(dir.filePath(QStringLiteral("f%1.tif").arg(i, 5, 10, QChar(u'0'))));
    FileList list;
    ASSERT_TRUE(list.setPath(dir.path()));
    list.setPattern(kPattern);
    ASSERT_EQ(list.count(), 40000);
    EXPECT_EQ(list.name(39999), "f39999.tif");
}

} // namespace
