#pragma once

#include <memory>
#include <optional>
#include <string>

#include "panels/lookup/lookup_notice.h"
#include "panels/lookup/platform_serial_number.h"
#include "platform/appkit/ns_progress_indicator.h"
#include "platform/appkit/ns_view_controller.h"
#include "platform/appkit/web_view.h"

// The serial-number lookup panel: posts a serial number to the lookup service as soon as its
// view is loaded and shows the service's answer in its web view, with an indicator that spins
// while a page loads. A panel looks up one serial number; a new lookup is a new panel.
class SerialNumberViewController : public platform::NSViewController,
                                   public platform::WebFrameLoadDelegate {
  public:
    // A controller for the interface description `nibName` ("SerialNumberViewController").
    static std::shared_ptr<SerialNumberViewController> initWithNibName(
        const std::string& nibName, const platform::NSBundle* bundle);
    SerialNumberViewController(const std::string& nibName, const platform::NSBundle* bundle);

    // The indicator and the web view, connected by the interface description.
    std::shared_ptr<platform::NSProgressIndicator> myProgress() const { return _myProgress; }
    void setMyProgress(std::shared_ptr<platform::NSProgressIndicator> progress) {
        _myProgress = std::move(progress);
    }
    std::shared_ptr<platform::WebView> myWebView() const { return myWebView_; }
    void setMyWebView(std::shared_ptr<platform::WebView> webView) {
        myWebView_ = std::move(webView);
    }

    // The serial number to look up. Absent (not empty) unless set before the view is loaded,
    // in which case the panel looks up this machine's own serial number.
    const std::optional<std::string>& serialNumber() const { return serialNumber_; }
    void setSerialNumber(std::optional<std::string> serialNumber) {
        serialNumber_ = std::move(serialNumber);
    }

    // Posts "sn=" and `serial` to the lookup service into the web view. An absent or empty
    // serial posts nothing and logs "send keyword nil".
    void searchBySerialNumber(const std::optional<std::string>& serial);

    bool setValueForKey(std::string_view key, std::shared_ptr<platform::NSObject> value) override;

    void webViewDidStartProvisionalLoadForFrame(platform::WebView& sender,
                                                platform::WebFrame& frame) override;
    void webViewDidFinishLoadForFrame(platform::WebView& sender,
                                      platform::WebFrame& frame) override;
    void webViewDidFailProvisionalLoadWithErrorForFrame(platform::WebView& sender,
                                                        const platform::NSError& error,
                                                        platform::WebFrame& frame) override;
    void webViewDidFailLoadWithErrorForFrame(platform::WebView& sender,
                                             const platform::NSError& error,
                                             platform::WebFrame& frame) override;

  protected:
    // Chooses the serial number (the one given, else the machine's own) and starts the lookup;
    // when there is nothing to look up, says so on the panel.
    void awakeFromNib() override;

  private:
    // Continues with the machine's own serial number once it has been read.
    void ownSerialNumberRead(const SerialNumberBuffer& buffer,
                             const PlatformSerialNumberDetails& details);
    // Looks up serialNumber_ (the machine's own when `own`), or says why there is none to look
    // up: `unreadable` when the machine's could not be read.
    void lookUp(bool own, std::optional<platform::PropertyAbsence> unreadable);
    // Puts the lines over the panel, centred, one label a line, and returns the labels. With
    // `belowIndicator` they stand under the indicator in the panel's centre instead.
    std::vector<std::shared_ptr<platform::NSView>> showNotice(const std::vector<std::string>& lines,
                                                              bool belowIndicator = false);
    // Whether the panel is still in the window: one the user has left says nothing more.
    bool isShown();

    std::shared_ptr<platform::NSProgressIndicator> _myProgress;
    std::shared_ptr<platform::WebView> myWebView_;
    std::optional<std::string> serialNumber_;
    bool pageShown_ = false;      // a load has finished: the web view shows a page
    bool noticeShown_ = false;    // the panel already says why it shows nothing
    bool serialPending_ = false;  // the machine's own serial number is being read
    // The line saying that the read waits for authorization, while it does.
    std::vector<std::shared_ptr<platform::NSView>> waitingNotice_;
};

// What the panel tells the user when the service cannot be reached.
inline constexpr const char* kConnectionFailedMessage =
    "连接查询服务器时出错，请检查一下网络，稍后重试";
// What it tells the user when the service's certificate is not trusted: the lookup went nowhere,
// and no network setting of the user's will change that.
inline constexpr const char* kUntrustedCertificateMessage =
    "无法安全地连接查询服务器：服务器的证书不受信任，序列号没有发送。请联系网络管理员";
// What it tells the user when the web view has no engine (its module could not be loaded).
inline constexpr const char* kBrowserMissingMessage =
    "内置浏览器组件缺失，无法显示查询结果，请重新安装本程序";
