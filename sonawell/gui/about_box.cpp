#include "gui/about_box.h"

#include "gui/window_placement.h"
#include "gui/art_pictures.h"

#include <QFont>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace {

// The playful title face where it is installed, else a friendly sans serif that ships with
// the system.
QFont TitleFont() {
    QFont font;
    const QStringList installed = QFontDatabase::families();
    for (const QString& family : {QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue"),
                                  QStringLiteral("DejaVu Sans")}) {
        if (installed.contains(family, Qt::CaseInsensitive)) {
            font.setFamily(family);
            break;
        }
    }
    font.setPointSize(14);
    font.setBold(true);
    return font;
}

QLabel* Line(const QString& text, QWidget* parent, int y) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(14, y, 309, 18);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

frmAbout::frmAbout(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(QStringLiteral("About Sonawell"));
    // 5055 by 2865 twips.
    setFixedSize(337, 191);

    Picture1 = new QLabel(this);
    Picture1->setGeometry(12, 10, 71, 64);
    Picture1->setPixmap(
        RenderArt(QStringLiteral(":/dialogs/art/about.svg"), 71, 64, devicePixelRatioF()));

    Label1 = new QLabel(QStringLiteral("Sonawell Convertor"), this);
    Label1->setFont(TitleFont());
    Label1->setGeometry(96, 14, 235, 30);
    Label2 = new QLabel(QStringLiteral("Version 1.21"), this);
    Label2->setGeometry(98, 46, 233, 20);

    Frame1 = new QFrame(this);
    Frame1->setFrameShape(QFrame::HLine);
    Frame1->setFrameShadow(QFrame::Sunken);
    Frame1->setGeometry(0, 82, 337, 2);

    Label4 = Line(QStringLiteral("Audio coding by FFmpeg (LGPL 2.1 or later)"), this, 94);
    Label5 = Line(QStringLiteral("Tags by TagLib (LGPL 2.1 / MPL 1.1)"), this, 114);
    Label6 = Line(QStringLiteral("Windows and dialogs by Qt 6 (LGPL 3)"), this, 134);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setDefault(true);
    cmdOK->setGeometry(337 - 12 - 84, 191 - 8 - 26, 84, 26);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    CenterWindowOnOwner(this, parent);
}

// Placed again once the window exists: only then does its frame count in the arithmetic.
void frmAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CenterWindowOnOwner(this, parentWidget());
}
