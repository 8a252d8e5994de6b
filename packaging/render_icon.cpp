// Build step: writes the program's logo as PNG icons, one file per size, so the menu shows what the About window does.
#include "ui/auxiliary/Logo.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>

#include <cstdio>

// render_icon OUTPUT_FOLDER NAME SIZE... writes OUTPUT_FOLDER/SIZExSIZE/apps/NAME.png for each size.
int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: render_icon OUTPUT_FOLDER NAME SIZE...\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen"); // drawing only: no display at build time
    // The platform's start-up notes (no runtime folder in a build) are not the build's business; failures are.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            std::fprintf(stderr, "render_icon: %s\n", qPrintable(message));
    });
    QGuiApplication app(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        const QString path = QStringLiteral("%1/%2x%2/apps/%3.png").arg(folder).arg(size).arg(name);
        if (size < 16 || !QDir().mkpath(QFileInfo(path).path()) || !DrawLogo(size).toImage().save(path, "PNG")) {
            std::fprintf(stderr, "render_icon: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
