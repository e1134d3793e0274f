#include "panels/lookup/serial_number_view_controller.h"

#include <cstring>

#include "panels/lookup/platform_serial_number.h"
#include "panels/lookup/service_host.h"
#include "platform/appkit/ns_alert.h"
#include "platform/format.h"
#include "platform/log.h"

using namespace platform;

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
    if (!serialNumber_) {
        char buffer[kSerialNumberBufferSize];
        std::memset(buffer, 0, sizeof buffer);
        mach_port_t masterPort = MACH_PORT_NULL;
        if (IOMasterPort(MACH_PORT_NULL, &masterPort) == KERN_SUCCESS) {
            std::string wholeSerialNumber;
            getPlatformSerialNumber(masterPort, buffer, &wholeSerialNumber);
            // The buffer holds Mac OS Roman text; a serial number too long for it comes whole.
            setSerialNumber(wholeSerialNumber.empty()
                                ? CFStringCreateWithCString(kCFAllocatorDefault, buffer,
                                                            kCFStringEncodingMacRoman)
                                      ->utf8
                                : wholeSerialNumber);
        }
        NSLog("序列号 %@", {arg(serialNumber_)});
    }
    searchBySerialNumber(serialNumber_);
}

void SerialNumberViewController::searchBySerialNumber(const std::optional<std::string>& serial) {
    if (!serial || serial->empty()) {
        NSLog("send keyword nil");
        return;
    }
    const auto url =
        NSURL::URLWithString(stringWithFormat("http://%s/inapp.php", {arg(kServiceHost)}));
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
    NSAlert alert;
    alert.setMessageText(kConnectionFailedMessage);
    alert.runModal();
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
