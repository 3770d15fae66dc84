// velka-fuzz-seeds FOLDER: writes the seed corpus of every harness to FOLDER/<harness>/.
#include "targets.h"

#include <QDir>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const QDir Root(QString::fromLocal8Bit(argv[1]));
    for (const velka::fuzz::TTarget& Target : velka::fuzz::Targets()) {
        const QString Folder = Root.filePath(QString::fromLatin1(Target.Name));
        if (!QDir().mkpath(Folder)) {
            std::fprintf(stderr, "cannot create %s\n", qPrintable(Folder));
            return 1;
        }
        const std::vector<velka::fuzz::TInput> Seeds = Target.Seeds();
        for (size_t I = 0; I < Seeds.size(); ++I) {
            QFile File(QDir(Folder).filePath(QStringLiteral("seed-%1").arg(I)));
            if (!File.open(QIODevice::WriteOnly) ||
                File.write(reinterpret_cast<const char*>(Seeds[I].data()), qint64(Seeds[I].size())) !=
                    qint64(Seeds[I].size())) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(File.fileName()));
                return 1;
            }
        }
        std::printf("%-14s %zu seeds\n", Target.Name, Seeds.size());
    }
    return 0;
}
