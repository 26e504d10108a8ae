#pragma once
// The web control of the update check over QtNetwork, on the window's thread.
//
// A navigation either loads a document (the version file), polled through ReadyState and
// BodyText, or, when the address names a release file ("/files/OrvelTool v....exe"),
// downloads that file beside the running tool with a cancelable progress dialog. A
// download is written under a temporary name and only renamed when complete, so a failed
// or cancelled one leaves nothing behind; the user is told where the file went or why it
// failed. The downloaded file is never run.
#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <memory>

#include "platform/message_boxes.h"
#include "platform/web.h"

class QNetworkReply;
class QProgressDialog;

namespace orvel {

struct QtWebBrowserOptions {
    // Empty: "https://" followed by the address as given. Tests put a local server here
    // ("http://127.0.0.1:PORT"); the host of the address is then replaced, its path kept.
    QString baseUrl;
    // Folder that receives downloaded releases. Empty: the folder of the running executable.
    QString downloadFolder;
};

class QtWebBrowser : public QObject, public WebBrowser {
    Q_OBJECT
public:
    // A version file larger than this is not read: far beyond what the marker check accepts.
    static constexpr qint64 kMaxDocumentBytes = 64 * 1024;
    // A download that receives nothing for this long fails instead of hanging.
    static constexpr int kDownloadStallMs = 60'000;

    explicit QtWebBrowser(MessageBoxes& boxes, QtWebBrowserOptions options = {}, QObject* parent = nullptr);
    ~QtWebBrowser() override;

    void Stop() override;
    void Navigate(const std::string& address, std::optional<int> flags) override;
    int ReadyState() const override { return readyState_; }
    std::optional<std::string> BodyText() override { return document_; }

    bool Downloading() const { return download_ != nullptr; }
    // The dialog of the download under way, or null.
    QProgressDialog* DownloadProgress() const;
    // Abandons the download under way and discards what was received; the user asked for it,
    // so nothing is reported.
    void CancelDownload();

private:
    struct Download;

    QUrl UrlFor(const std::string& address) const;
    void LoadDocument(const QUrl& url, std::optional<int> flags);
    void DropPage();
    void OnPageData();
    void OnPageFinished();
    void StartDownload(const QUrl& url);
    void OnDownloadData();
    void OnDownloadFinished();
    // Ends the download under way: commits it when `failure` is empty, otherwise discards it,
    // then tells the user.
    void EndDownload(QString failure);
    // Detaches the download under way from its reply and dialog and hands it over; dropping
    // it discards what was written.
    std::unique_ptr<Download> TakeDownload();
    void Report(const QString& text, uint32_t icon);

    MessageBoxes& boxes_;
    QtWebBrowserOptions options_;
    QNetworkAccessManager manager_;
    QPointer<QNetworkReply> page_;
    QByteArray pageBytes_;
    int readyState_ = 0;
    std::optional<std::string> document_;
    std::unique_ptr<Download> download_;
};

// The body text of a received document as the update check reads it: the inner HTML of
// <body> for an HTML page (Content-Type text/html, or text that starts with <html or
// <!doctype html), otherwise the whole text; decoded by its charset (or as UTF-8 when valid,
// else Windows-1252) and converted to Windows-1252 with '?' for characters outside it.
std::string DocumentBodyText(const QByteArray& bytes, const QString& contentType);

// Windows-1252 bytes of `text`; characters outside the code page become '?'.
std::string ToWindows1252(const QString& text);
QString FromWindows1252(const QByteArray& bytes);

}  // namespace orvel
