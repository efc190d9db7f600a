// The choice of the data folder: --data first; the program's folder when the program is not
// installed; the user's application data folder for an installed one.
#include "datafolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(DataFolder, AnInstalledProgramKeepsTheCatalogueInTheUsersFolder) {
    QTemporaryDir root;
    const QString user = root.filePath(QStringLiteral("home/.local/share/Reelkeeper"));
    const QString built = root.filePath(QStringLiteral("build/bin"));
    const QString prefix = root.filePath(QStringLiteral("prefix"));
    const QString installed = prefix + QStringLiteral("/bin");
    ASSERT_TRUE(QDir().mkpath(built));
    ASSERT_TRUE(QDir().mkpath(installed));

    using rk::app::chooseDataFolder;
    EXPECT_EQ(chooseDataFolder(root.filePath(QStringLiteral("mine")), installed, user),
              root.filePath(QStringLiteral("mine/")));
    EXPECT_EQ(chooseDataFolder(QString(), built, user), built + QLatin1Char('/'));
    // A bin folder alone is not an installation: its description must lie beside it.
    EXPECT_EQ(chooseDataFolder(QString(), installed, user), installed + QLatin1Char('/'));
    ASSERT_TRUE(QDir().mkpath(prefix + QStringLiteral("/share/metainfo")));
    QFile metainfo(prefix +
                   QStringLiteral("/share/metainfo/org.reelkeeper.Reelkeeper.metainfo.xml"));
    ASSERT_TRUE(metainfo.open(QIODevice::WriteOnly));
    metainfo.close();
    EXPECT_TRUE(rk::app::isInstalled(installed));
    EXPECT_FALSE(QDir(user).exists());
    EXPECT_EQ(chooseDataFolder(QString(), installed, user), user + QLatin1Char('/'));
    EXPECT_TRUE(QDir(user).exists());
}

} // namespace
