#include "gui/about_dialog.h"

#include "gui/art_pictures.h"
#include "gui/window_placement.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QFontDatabase>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

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

QLabel* creditLine(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
    setWindowTitle(tr("About Sonawell"));

    picture_ = new QLabel(this);
    // The picture's own size, in device-independent pixels.
    picture_->setPixmap(
        renderArt(QStringLiteral(":/dialogs/art/about.svg"), 71, 64, devicePixelRatioF()));
    titleLabel_ = new QLabel(tr("Sonawell Convertor"), this);
    titleLabel_->setFont(titleFont());
    // The version is the build's; a translation never has to follow it.
    versionLabel_ = new QLabel(tr("Version %1").arg(QStringLiteral(SONAWELL_VERSION)), this);

    separator_ = new QFrame(this);
    separator_->setFrameShape(QFrame::HLine);
    separator_->setFrameShadow(QFrame::Sunken);

    codingCredit_ = creditLine(tr("Audio coding by FFmpeg (LGPL 2.1 or later)"), this);
    tagCredit_ = creditLine(tr("Tags by TagLib (LGPL 2.1 / MPL 1.1)"), this);
    toolkitCredit_ = creditLine(tr("Windows and dialogs by Qt 6 (LGPL 3)"), this);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    cmdOK_ = buttons->button(QDialogButtonBox::Ok);
    cmdOK_->setText(QStringLiteral("OK"));
    cmdOK_->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* heading = new QGridLayout;
    heading->addWidget(picture_, 0, 0, 2, 1, Qt::AlignTop);
    heading->addWidget(titleLabel_, 0, 1, Qt::AlignBottom);
    heading->addWidget(versionLabel_, 1, 1, Qt::AlignTop);
    heading->setColumnStretch(1, 1);
    auto* credits = new QVBoxLayout;
    credits->addWidget(codingCredit_);
    credits->addWidget(tagCredit_);
    credits->addWidget(toolkitCredit_);

    const std::pair<QWidget*, const char*> names[] = {
        {picture_, "imgAbout"},         {titleLabel_, "lblTitle"},
        {versionLabel_, "lblVersion"},  {separator_, "linSeparator"},
        {codingCredit_, "lblCoding"},   {tagCredit_, "lblTags"},
        {toolkitCredit_, "lblToolkit"}, {cmdOK_, "cmdOK"}};
    for (const auto& [widget, name] : names) {
        widget->setObjectName(QLatin1String(name));
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(heading);
    // The rule runs from edge to edge, as under a title bar.
    layout->addWidget(separator_);
    layout->addLayout(credits);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    const QMargins margins = layout->contentsMargins();
    separator_->setContentsMargins(0, 0, 0, 0);
    layout->setContentsMargins(0, margins.top(), 0, margins.bottom());
    for (QLayout* inner : {static_cast<QLayout*>(heading), static_cast<QLayout*>(credits)}) {
        inner->setContentsMargins(margins.left(), 0, margins.right(), 0);
    }
    buttons->setContentsMargins(margins.left(), 0, margins.right(), 0);
    layout->activate();

    centerOnOwner(this, parent);
}

// Placed again once the window exists: only then does its frame count in the arithmetic.
void AboutDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    centerOnOwner(this, parentWidget());
}
