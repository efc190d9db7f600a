// Writes the tab pictures TAB0..TAB6 (and their @2x versions) into a folder:
//   rktabpictures widgets/pictures
#include "tabpicturepainter.h"

#include <QDir>
#include <QGuiApplication>

#include <cstdio>

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    for (int i = 0; i < rk::tabart::kCount; ++i) {
        for (int scale : {1, 2}) {
            const QString name = scale == 1 ? QStringLiteral("TAB%1.png").arg(i)
                                            : QStringLiteral("TAB%1@2x.png").arg(i);
            if (!rk::tabart::paint(i, scale).save(folder.filePath(name))) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(folder.filePath(name)));
                return 1;
            }
        }
    }
    return 0;
}
