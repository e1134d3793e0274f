#include "panels/lookup/serial_number_view_controller.h"

#include "panels/lookup/platform_serial_number.h"
#include "panels/lookup/service_host.h"
#include "platform/appkit/ns_alert.h"
#include "platform/appkit/ns_text_field.h"
#include "platform/appkit/web_engine.h"
#include "platform/format.h"
#include "platform/log.h"

using namespace platform;

namespace {

// The notice's labels: one line of text each, kept clear of the panel's sides.
constexpr double kNoticeLineHeight = 28;
constexpr double kNoticeMargin = 20;
// How far below the panel's centre a notice starts that must leave the indicator there clear.
constexpr double kIndicatorClearance = 24;

}  // namespace

std::shared_ptr<SerialNumberViewController> SerialNumberViewController::initWithNibName(
    const std::string& nibName, const NSBundle* bundle) {
    return std::make_shared<SerialNumberViewController>(nibName, bundle);
}

SerialNumberViewController::SerialNumberViewController(const std::string& nibName,
                                                       const NSBundle* bundle)
    : NSViewController(nibName, bundle) {}

bool SerialNumberViewController::setValueForKey(std::string_view key,
                                                std::shared_ptr<NSObject> value) {
    if (key == "_myProgress") {
        setMyProgress(std::dynamic_pointer_cast<NSProgressIndicator>(value));
        return true;
    }
    if (key == "myWebView") {
        setMyWebView(std::dynamic_pointer_cast<WebView>(value));
        return true;
    }
    return NSViewController::setValueForKey(key, std::move(value));
}

void SerialNumberViewController::awakeFromNib() {
    if (serialNumber_.has_value()) {
        lookUp(false, std::nullopt);
        return;
    }
    mach_port_t masterPort = MACH_PORT_NULL;
    if (IOMasterPort(MACH_PORT_NULL, &masterPort) != KERN_SUCCESS) {
        NSLog("序列号 %@", {arg(serialNumber_)});
        lookUp(true, std::nullopt);
        return;
    }
    const auto self = std::weak_ptr<SerialNumberViewController>(
        std::static_pointer_cast<SerialNumberViewController>(shared_from_this()));
    serialPending_ = true;
    getPlatformSerialNumber(masterPort, [self](const SerialNumberBuffer& buffer,
                                               const PlatformSerialNumberDetails& details) {
        if (const auto panel = self.lock()) {
            panel->ownSerialNumberRead(buffer, details);
        }
    });
    if (serialPending_) {
        // A system service is asked, which may first ask the user for a password: say so, and
        // let the user go on meanwhile.
        if (_myProgress) {
            _myProgress->startAnimation(shared_from_this());
        }
        waitingNotice_ = showNotice(waitingForAuthorizationLines(), true);
    }
}

void SerialNumberViewController::ownSerialNumberRead(const SerialNumberBuffer& buffer,
                                                     const PlatformSerialNumberDetails& details) {
    const bool late = !waitingNotice_.empty();
    serialPending_ = false;
    if (late) {
        for (const auto& label : waitingNotice_) {
            label->removeFromSuperview();
        }
        waitingNotice_.clear();
        noticeShown_ = false;
        if (_myProgress) {
            _myProgress->stopAnimation(shared_from_this());
        }
        if (!isShown()) {
            // The user has gone on to another panel: this lookup is no longer wanted.
            return;
        }
    }
    // The buffer holds Mac OS Roman text; a serial number too long for it comes whole.
    setSerialNumber(details.wholeSerialNumber.empty()
                        ? CFStringCreateWithCString(kCFAllocatorDefault, buffer.data(),
                                                    kCFStringEncodingMacRoman)
                              ->utf8
                        : details.wholeSerialNumber);
    NSLog("序列号 %@", {arg(serialNumber_)});
    lookUp(true, details.absence);
}

void SerialNumberViewController::lookUp(bool own, std::optional<PropertyAbsence> unreadable) {
    if (unreadable) {
        // "unknown" is no serial number: a lookup of it could only fail, so say why instead.
        showNotice(lookupNoticeLines(*unreadable == PropertyAbsence::NotPermitted
                                         ? LookupNotice::SerialNotPermitted
                                         : LookupNotice::SerialNotRecorded));
        return;
    }
    searchBySerialNumber(serialNumber_);
    if (!serialNumber_ || serialNumber_->empty()) {
        showNotice(
            lookupNoticeLines(own ? LookupNotice::NoSerialRead : LookupNotice::NothingTyped));
    }
}

bool SerialNumberViewController::isShown() {
    return isViewLoaded() && view()->superview() != nullptr;
}

std::vector<std::shared_ptr<NSView>> SerialNumberViewController::showNotice(
    const std::vector<std::string>& lines, bool belowIndicator) {
    noticeShown_ = true;
    std::vector<std::shared_ptr<NSView>> labels;
    const NSRect bounds = view()->frame();
    const double height = kNoticeLineHeight * static_cast<double>(lines.size());
    const double top =
        belowIndicator ? bounds.height / 2 - kIndicatorClearance : (bounds.height + height) / 2;
    for (std::size_t index = 0; index < lines.size(); ++index) {
        auto label = NSTextField::initWithFrame(
            NSMakeRect(kNoticeMargin, top - kNoticeLineHeight * static_cast<double>(index + 1),
                       bounds.width - 2 * kNoticeMargin, kNoticeLineHeight));
        label->setStringValue(lines[index]);
        label->setAlignment(NSCenterTextAlignment);
        label->setBezeled(false);
        label->setDrawsBackground(false);
        label->setEditable(false);
        label->setSelectable(false);
        view()->addSubview(label);
        labels.push_back(std::move(label));
    }
    return labels;
}

void SerialNumberViewController::searchBySerialNumber(const std::optional<std::string>& serial) {
    if (!serial || serial->empty()) {
        NSLog("send keyword nil");
        return;
    }
    const auto url = NSURL::URLWithString(stringWithFormat("%s/inapp.php", {arg(kServiceAddress)}));
    if (!url) {
        return;
    }
    // The serial number goes as it is: no percent-encoding, trimming or case change, so the
    // service receives exactly what was typed.
    const std::string body = stringWithFormat("sn=%@", {arg(serial)});
    NSMutableURLRequest request = NSMutableURLRequest::initWithURL(*url);
    request.setHTTPMethod("POST");
    request.setHTTPBody(
        dataUsingEncoding(body, NSUTF8StringEncoding).value_or(std::vector<std::byte>{}));
    if (myWebView_) {
        myWebView_->mainFrame().loadRequest(request);
    }
}

void SerialNumberViewController::webViewDidStartProvisionalLoadForFrame(WebView& /*sender*/,
                                                                        WebFrame& /*frame*/) {
    if (_myProgress) {
        _myProgress->startAnimation(shared_from_this());
    }
}

void SerialNumberViewController::webViewDidFinishLoadForFrame(WebView& /*sender*/,
                                                              WebFrame& /*frame*/) {
    NSLog("finish load");
    pageShown_ = true;
    if (_myProgress) {
        _myProgress->stopAnimation(shared_from_this());
    }
}

void SerialNumberViewController::webViewDidFailProvisionalLoadWithErrorForFrame(
    WebView& /*sender*/, const NSError& error, WebFrame& /*frame*/) {
    if (_myProgress) {
        _myProgress->stopAnimation(shared_from_this());
    }
    NSLog("did fail load");
    NSLog("error is %@", {arg(error.description())});
    if (!isShown()) {
        // The user has gone on to another panel; an alert about this one would only puzzle.
        return;
    }
    NSAlert alert;
    // The one failure that no network causes: the web view could not load its engine; and one
    // that no network setting of the user's mends: a certificate the web view does not trust.
    const bool engineMissing = error.domain == kWebEngineErrorDomain;
    const bool untrusted = error.code == kNSURLErrorServerCertificateUntrusted;
    alert.setMessageText(engineMissing ? kBrowserMissingMessage
                         : untrusted   ? kUntrustedCertificateMessage
                                       : kConnectionFailedMessage);
    alert.runModal();
    // The alert is gone once read; the page area keeps saying what failed and what to do.
    if (!engineMissing && !pageShown_ && !noticeShown_ && isShown()) {
        showNotice(untrusted ? untrustedCertificateLines(kServiceAddress)
                             : serviceUnreachableLines(kServiceAddress));
    }
}

void SerialNumberViewController::webViewDidFailLoadWithErrorForFrame(WebView& /*sender*/,
                                                                     const NSError& error,
                                                                     WebFrame& /*frame*/) {
    // Content had begun to arrive, so the page stays as far as it got: no alert, but the
    // indicator must not spin on for a load that has ended.
    if (_myProgress) {
        _myProgress->stopAnimation(shared_from_this());
    }
    NSLog("did fail load");
    NSLog("error is %@", {arg(error.description())});
}
