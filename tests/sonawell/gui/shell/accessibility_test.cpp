// Every window as assistive technology sees it, through Qt's accessibility interfaces (the
// same ones the AT-SPI bridge reads).
#include "main_window_rig.h"

#include "gui/dialogs/profile_dialog.h"
#include "gui/help.h"
#include "gui/splash_screen.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QComboBox>
#include <QListWidget>

namespace shelltest {

namespace {

// Roles a user operates; each must be named, by itself or by a label.
bool IsControl(QAccessible::Role role) {
    switch (role) {
        case QAccessible::PushButton:
        case QAccessible::ButtonMenu:
        case QAccessible::CheckBox:
        case QAccessible::RadioButton:
        case QAccessible::ComboBox:
        case QAccessible::EditableText:
        case QAccessible::List:
        case QAccessible::Tree:
        case QAccessible::Table:
        case QAccessible::PageTab:
        case QAccessible::SpinBox:
        case QAccessible::Slider:
            return true;
        default:
            return false;
    }
}

// The controls below `iface` that have neither a name nor a label, as "role objectName"
// lines; `count` tells how many controls were seen. Hidden ones count too: a screen reader's
// tree lists them all the same (the toolbar's overflow button is one).
void FindUnnamed(QAccessibleInterface* iface, QStringList& unnamed, int& count) {
    if (iface == nullptr) {
        return;
    }
    if (IsControl(iface->role())) {
        ++count;
        const bool named = !iface->text(QAccessible::Name).trimmed().isEmpty() ||
                           !iface->relations(QAccessible::Label).isEmpty();
        if (!named) {
            const QObject* object = iface->object();
            unnamed << QStringLiteral("role %1 %2")
                           .arg(int(iface->role()))
                           .arg(object ? object->objectName() : QStringLiteral("(item)"));
        }
    }
    // A list's or a table's rows are its content, named by their text, not controls; a combo
    // box's list is its popup, named by the box.
    if (iface->role() == QAccessible::List || iface->role() == QAccessible::Tree ||
        iface->role() == QAccessible::Table || iface->role() == QAccessible::ComboBox) {
        return;
    }
    for (int i = 0; i < iface->childCount(); ++i) {
        FindUnnamed(iface->child(i), unnamed, count);
    }
}

::testing::AssertionResult EveryControlNamed(QWidget* window, int atLeast) {
    QStringList unnamed;
    int count = 0;
    FindUnnamed(QAccessible::queryAccessibleInterface(window), unnamed, count);
    if (count < atLeast) {
        return ::testing::AssertionFailure()
               << window->metaObject()->className() << ": only " << count << " controls seen";
    }
    if (!unnamed.isEmpty()) {
        return ::testing::AssertionFailure()
               << window->metaObject()->className()
               << " unnamed: " << unnamed.join(QStringLiteral(", ")).toStdString();
    }
    return ::testing::AssertionSuccess();
}

void DoAction(QWidget* widget, const QString& action) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    ASSERT_NE(iface, nullptr);
    QAccessibleActionInterface* actions = iface->actionInterface();
    ASSERT_NE(actions, nullptr);
    ASSERT_TRUE(actions->actionNames().contains(action)) << action.toStdString();
    actions->doAction(action);
}

// Chooses item `row` of the box's list as assistive technology does: the list opened through
// the box's ShowMenu action, then the item's Toggle action.
void ChooseFromList(QComboBox* box, int row) {
    DoAction(box, QAccessibleActionInterface::showMenuAction());
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(box->view());
    ASSERT_TRUE(list != nullptr && list->tableInterface() != nullptr);
    QAccessibleInterface* item = list->tableInterface()->cellAt(row, 0);
    ASSERT_TRUE(item != nullptr && item->actionInterface() != nullptr);
    item->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
}

}  // namespace

using Accessibility = MainWindowTest;

TEST_F(Accessibility, EveryWindowNamesItsControlsAndActionsTakeEffect) {
    MainWindow& window = Open();
    HandIn({Music(Sources::get().shortMp3(), QStringLiteral("a.mp3")),
            Music(Sources::get().shortMp3(), QStringLiteral("b.mp3"))});
    EXPECT_TRUE(EveryControlNamed(&window, 6));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(window.jobView())->text(QAccessible::Name),
              QStringLiteral("Jobs"));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&window)->role(), QAccessible::Window);

    // Pressing Delete Job the way a screen reader does; the row that moves up is then the
    // selected one, so Delete stays offered for what is highlighted.
    ClickRow(window, 1);
    DoAction(Button(window, "cmdDeleteJob"), QAccessibleActionInterface::pressAction());
    ASSERT_TRUE(WaitFor([&] { return window.jobs().count() == 1; }));
    EXPECT_TRUE(CommandsAre(window, {true, false, true}));

    {
        AddJobDialog dialog(encoder_.profiles(), &window);
        bool asked = false;
        dialog.chooseSources = [&] {
            asked = true;
            return QStringList{QStringLiteral("/music/a.mp3")};
        };
        dialog.show();
        EXPECT_TRUE(EveryControlNamed(&dialog, 6));
        DoAction(dialog.browseSourceButton(), QAccessibleActionInterface::pressAction());
        EXPECT_TRUE(WaitFor([&] { return asked; }));
        EXPECT_EQ(dialog.sourceList()->count(), 1);
        // A format chosen from the list is the job's format.
        const QString format = dialog.formatBox()->itemText(1);
        ASSERT_NE(dialog.formats.value(0), format);
        ChooseFromList(dialog.formatBox(), 1);
        EXPECT_FALSE(dialog.formatBox()->view()->isVisible());
        DoAction(dialog.okButton(), QAccessibleActionInterface::pressAction());
        EXPECT_TRUE(WaitFor([&] { return dialog.okPressed; }));
        EXPECT_EQ(dialog.formats.value(0), format);
    }
    {
        OptionsDialog dialog(encoder_.profiles(), &window);
        dialog.show();
        EXPECT_TRUE(EveryControlNamed(&dialog, 8));
        dialog.tabStrip()->setCurrentIndex(1);
        EXPECT_TRUE(EveryControlNamed(&dialog, 6));
        dialog.tabStrip()->setCurrentIndex(0);
        // A priority chosen through the Toggle action, never clicked, is what OK stores.
        DoAction(dialog.priorityButton(2), QAccessibleActionInterface::toggleAction());
        EXPECT_TRUE(dialog.priorityButton(2)->isChecked());
        dialog.okButton()->click();
        EXPECT_EQ(readIniValue(settings_.iniPath(), QStringLiteral("General"),
                               QStringLiteral("CPUPriority")),
                  QStringLiteral("2"));
    }
    {
        ProfileDialog dialog(encoder_.profiles());
        dialog.show();
        EXPECT_TRUE(EveryControlNamed(&dialog, 3));
        EXPECT_EQ(
            QAccessible::queryAccessibleInterface(dialog.profileBox())->text(QAccessible::Name),
            dialog.promptLabel()->text());
        ChooseFromList(dialog.profileBox(), 2);
        EXPECT_EQ(dialog.profileBox()->currentIndex(), 2);
        // Moving through the open list with the keys is no choice yet.
        dialog.profileBox()->showPopup();
        QTest::keyClick(dialog.profileBox()->view(), Qt::Key_Down);
        EXPECT_TRUE(dialog.profileBox()->view()->isVisible());
        EXPECT_EQ(dialog.profileBox()->currentIndex(), 2);
        dialog.profileBox()->hidePopup();
    }
    {
        AboutDialog dialog(&window);
        dialog.show();
        EXPECT_TRUE(EveryControlNamed(&dialog, 1));
    }
    {
        // The splash, while it shows, is a window named like the program, not a panel.
        SplashScreen splash;
        splash.show();
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&splash);
        EXPECT_EQ(iface->role(), QAccessible::Window);
        EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("Sonawell"));
    }
    showHelpContents(&window);
    HelpWindow* help = window.findChild<HelpWindow*>();
    ASSERT_NE(help, nullptr);
    // A window, not a "filler" panel.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(help)->role(), QAccessible::Window);
    EXPECT_TRUE(EveryControlNamed(help, 4));
    // Read-only text is no control, but the page still needs a name.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(help->browser())->text(QAccessible::Name),
              QStringLiteral("Help page"));

    // Every window carries the program's picture.
    for (QWidget* shown : QApplication::topLevelWidgets()) {
        if (shown->isVisible()) {
            EXPECT_FALSE(shown->windowIcon().isNull()) << shown->metaObject()->className();
        }
    }
}

}  // namespace shelltest
