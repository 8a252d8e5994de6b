#include "ui/auxiliary/frmMap.h"

#include "app/DataFiles.h"

#include <QDir>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QScreen>

frmMap::frmMap(const QStringList& folders, QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmMap"));
    setWindowTitle(QStringLiteral("Quillmarch Map of Clock Locations "));
    setAttribute(Qt::WA_DeleteOnClose);
    MapImage = new QLabel(this);
    MapImage->setObjectName(QStringLiteral("MapImage"));
    MapImage->setScaledContents(true); // stretched to the window, proportions or not
    Form_Load(folders);
}

// Where the window fits on the screen, with its frame.
QSize frmMap::screenRoom()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry().size() - QSize(16, 48) : QSize(1024, 720);
}

void frmMap::Form_Load(const QStringList& folders)
{
    const QString path = FindDataFile(kMapFileName, folders);
    QString problem;
    QImage picture;
    if (path.isEmpty()) {
        QStringList shown;
        for (const QString& folder : folders)
            shown << QStringLiteral("    ") + QDir::toNativeSeparators(folder);
        problem =
            QStringLiteral("The map picture \"%1\" was not found.\n\nLooked in these folders, in this order:\n%2\n\n"
                           "Save the site plan as a JPEG picture named %1 in one of them.")
                .arg(kMapFileName, shown.join(QLatin1Char('\n')));
    } else {
        QImageReader reader(path);
        // A site plan straight from a camera or scanner has tens of megapixels: decoded whole it takes seconds of
        // the GUI thread and a hundred megabytes. It is decoded at most as large as the screen, which JPEG can do
        // at a fraction of the cost; the window never shows it larger than that.
        const QSize full = reader.size();
        const QSize room = screenRoom();
        if (full.isValid() && (full.width() > room.width() || full.height() > room.height()))
            reader.setScaledSize(full.scaled(room, Qt::KeepAspectRatio));
        if (!reader.read(&picture))
            problem = QStringLiteral("The map picture\n    %1\ncannot be read as a picture: %2.")
                          .arg(QDir::toNativeSeparators(path), reader.errorString());
    }

    if (!problem.isEmpty()) {
        MapImage->hide();
        MapMessage = new QLabel(problem, this);
        MapMessage->setObjectName(QStringLiteral("MapMessage"));
        MapMessage->setTextFormat(Qt::PlainText);
        MapMessage->setTextInteractionFlags(Qt::TextSelectableByMouse);
        MapMessage->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        MapMessage->setMargin(24);
        resize(MapMessage->sizeHint().expandedTo(QSize(480, 240)));
        return;
    }

    MapImage->setPixmap(QPixmap::fromImage(picture));
    // The client area takes the picture's size; a picture larger than the screen is shown smaller, in proportion.
    QSize size = picture.size();
    const QSize room = screenRoom();
    if (size.width() > room.width() || size.height() > room.height())
        size.scale(room, Qt::KeepAspectRatio);
    resize(size);
}

void frmMap::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    MapImage->setGeometry(rect());
    if (MapMessage)
        MapMessage->setGeometry(rect());
}
