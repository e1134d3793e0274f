#include "platform/appkit/ns_alert.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

namespace {

using platform::NSAlert;

TEST(NSAlertTest, AnInstalledPresenterShowsTheAlert) {
    std::string shown;
    auto previous = platform::installAlertPresenter([&](const NSAlert& alert) {
        shown = alert.messageText();
        return 1234L;
    });
    NSAlert alert;
    alert.setMessageText("连接服务器时出错");

    EXPECT_EQ(alert.runModal(), 1234);
    EXPECT_EQ(shown, "连接服务器时出错");
    platform::installAlertPresenter(previous);
}

TEST(NSAlertTest, TheToolkitShowsAModalInformationBoxWithOneButton) {
    platform::installAlertPresenter({});
    QString title;
    QString text;
    QStringList buttons;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    bool modal = false;
    // Runs inside the alert's own event loop, once the box is up.
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        modal = box->isModal();
        for (QAbstractButton* button : box->buttons()) {
            buttons << button->text();
        }
        box->buttons().front()->click();
    });
    NSAlert alert;
    alert.setMessageText("请检查一下网络");

    EXPECT_EQ(alert.runModal(), platform::NSAlertFirstButtonReturn);
    EXPECT_EQ(title, "quelmarn");
    EXPECT_EQ(text, "请检查一下网络");
    EXPECT_EQ(buttons, QStringList{"好"});
    EXPECT_EQ(icon, QMessageBox::Information);
    EXPECT_TRUE(modal);
}

}  // namespace
