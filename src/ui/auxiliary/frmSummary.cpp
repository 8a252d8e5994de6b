#include "ui/auxiliary/frmSummary.h"

#include "app/SummaryTable.h"
#include "model/GroupTable.h"
#include "ui/Twips.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace {
constexpr double kInnerWidth = 15390, kInnerHeight = 8070;
} // namespace

frmSummary::frmSummary(const GroupTables& tables, QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmSummary"));
    setWindowTitle(QStringLiteral("Quillmarch Summary"));
    setAttribute(Qt::WA_DeleteOnClose);

    Box = new QPlainTextEdit(this);
    Box->setObjectName(QStringLiteral("Box"));
    Box->setReadOnly(true);
    Box->setLineWrapMode(QPlainTextEdit::NoWrap);
    Box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The columns line up only in a fixed-pitch font; not every platform theme names one.
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (!QFontInfo(font).fixedPitch()) {
        font.setFamilies(
            {QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Liberation Mono"), QStringLiteral("monospace")});
        font.setStyleHint(QFont::TypeWriter);
    }
    font.setPointSizeF(9);
    Box->setFont(font);
    // The box fills the window and follows its size.
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Box);
    Form_Load(tables);
}

void frmSummary::Form_Load(const GroupTables& tables)
{
    Box->setPlainText(SummaryTableText(tables.EditGroups));

    const double dpi = LogicalDpi(this);
    QSize size(TwipsToPixels(kInnerWidth, dpi), TwipsToPixels(kInnerHeight, dpi));
    // Centred on the screen, and no larger than it: the designed size is a little wider than 1024 pixels.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        size = size.boundedTo(available.size() - QSize(16, 48));
        resize(size);
        move(available.center() - QPoint(size.width() / 2, size.height() / 2));
    } else {
        resize(size);
    }
}
