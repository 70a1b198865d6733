#include "gui/about_dialog.h"

#include "gui/art_pictures.h"
#include "gui/window_placement.h"

#include <QFont>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace {

// The playful title face where it is installed, else a friendly sans serif that ships with
// the system.
QFont titleFont() {
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

QLabel* creditLine(const QString& text, QWidget* parent, int y) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(14, y, 309, 18);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(tr("About Sonawell"));
    // 5055 by 2865 twips.
    setFixedSize(337, 191);

    picture = new QLabel(this);
    picture->setGeometry(12, 10, 71, 64);
    picture->setPixmap(
        renderArt(QStringLiteral(":/dialogs/art/about.svg"), 71, 64, devicePixelRatioF()));

    titleLabel = new QLabel(tr("Sonawell Convertor"), this);
    titleLabel->setFont(titleFont());
    titleLabel->setGeometry(96, 14, 235, 30);
    // The version is the build's; a translation never has to follow it.
    versionLabel = new QLabel(tr("Version %1").arg(QStringLiteral(SONAWELL_VERSION)), this);
    versionLabel->setGeometry(98, 46, 233, 20);

    separator = new QFrame(this);
    separator->setFrameShape(QFrame::HLine);
    separator->setFrameShadow(QFrame::Sunken);
    separator->setGeometry(0, 82, 337, 2);

    codingCredit = creditLine(tr("Audio coding by FFmpeg (LGPL 2.1 or later)"), this, 94);
    tagCredit = creditLine(tr("Tags by TagLib (LGPL 2.1 / MPL 1.1)"), this, 114);
    toolkitCredit = creditLine(tr("Windows and dialogs by Qt 6 (LGPL 3)"), this, 134);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setDefault(true);
    cmdOK->setGeometry(337 - 12 - 84, 191 - 8 - 26, 84, 26);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);

    centerOnOwner(this, parent);
}

// Placed again once the window exists: only then does its frame count in the arithmetic.
void AboutDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centerOnOwner(this, parentWidget());
}
