// Runs a fuzz target over files without libFuzzer: each file named, and every file in each folder
// named, once. A broken property aborts, so a harness that stops holding on its own seeds fails CTest.
#include "FuzzSupport.h"

#include <QDirIterator>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char **argv)
{
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        const QString path = QFile::decodeName(argv[i]);
        QStringList files{path};
        if (QFileInfo(path).isDir()) {
            files.clear();
            for (QDirIterator it(path, QDir::Files | QDir::Hidden); it.hasNext();)
                files << it.next();
            files.sort();
        }
        for (const QString &file : std::as_const(files)) {
            const QByteArray bytes = FuzzSupport::readFile(file);
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
            ++count;
        }
    }
    std::printf("%d inputs, every property held\n", count);
    return count > 0 ? 0 : 1;
}
