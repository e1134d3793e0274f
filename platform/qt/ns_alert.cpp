#include "platform/appkit/ns_alert.h"

#include <QApplication>
#include <QMessageBox>

#include "platform/qt/replaceable_function.h"

namespace platform {
namespace {

long showMessageBox(const NSAlert& alert) {
    QMessageBox box(QMessageBox::Information, QStringLiteral("quelmarn"),
                    QString::fromStdString(alert.messageText()), QMessageBox::NoButton,
                    QApplication::activeWindow());
    box.addButton(QStringLiteral("好"), QMessageBox::AcceptRole);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
    return NSAlertFirstButtonReturn;
}

ReplaceableFunction<AlertPresenter>& presenter() {
    static ReplaceableFunction<AlertPresenter> installed(showMessageBox);
    return installed;
}

}  // namespace

long NSAlert::runModal() {
    return presenter().current()(*this);
}

AlertPresenter installAlertPresenter(AlertPresenter replacement) {
    return presenter().replace(std::move(replacement));
}

}  // namespace platform
