#include "platform/qt_web_browser.h"

#include <QCoreApplication>
#include <QDir>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProgressDialog>
#include <QSaveFile>
#include <QStringDecoder>
#include <array>

namespace orvel {

namespace {

// Characters of 0x80..0x9F; 0 where the code page leaves the byte undefined (it then stands
// for the control character of the same number, as on Windows).
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

const QString kDialogTitle = QStringLiteral("Atualização OrvelTool");
const QString kReleasePrefix = QStringLiteral("/files/OrvelTool v");
const QString kReleaseSuffix = QStringLiteral(".exe");

bool IsReleaseFile(const QUrl& url) {
    const QString path = url.path();
    if (!path.startsWith(kReleasePrefix) || !path.endsWith(kReleaseSuffix)) return false;
    // One plain file name right under /files: nothing that could climb out of our folder.
    const QString name = path.mid(QStringLiteral("/files/").size());
    return !name.contains(u'/') && !name.contains(u'\\');
}

int HttpStatus(const QNetworkReply* reply) {
    return reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
}

bool IsWindows1252Name(const QByteArray& name) {
    // Browsers read Latin-1 and ASCII labels as Windows-1252 as well.
    for (const char* n : {"windows-1252", "cp1252", "iso-8859-1", "latin1", "l1", "us-ascii", "ascii"}) {
        if (name == n) return true;
    }
    return false;
}

QString Decode(const QByteArray& bytes, const QString& contentType) {
    QByteArray charset;
    for (const QString& part : contentType.split(u';')) {
        const QString p = part.trimmed();
        if (p.startsWith(QStringLiteral("charset="), Qt::CaseInsensitive)) {
            charset = p.mid(8).remove(u'"').trimmed().toLower().toLatin1();
        }
    }
    if (IsWindows1252Name(charset)) return FromWindows1252(bytes);
    if (!charset.isEmpty()) {
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid()) return decoder.decode(bytes);
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? FromWindows1252(bytes) : text;
}

QString InnerBody(const QString& html) {
    qsizetype open = 0;
    while ((open = html.indexOf(QStringLiteral("<body"), open, Qt::CaseInsensitive)) >= 0) {
        const qsizetype after = open + 5;
        if (after >= html.size() || html[after] == u'>' || html[after] == u'/' || html[after].isSpace()) break;
        open = after;  // <bodyx> is another tag
    }
    if (open < 0) return html;
    const qsizetype tagEnd = html.indexOf(u'>', open);
    if (tagEnd < 0) return QString();
    const qsizetype close = html.lastIndexOf(QStringLiteral("</body"), -1, Qt::CaseInsensitive);
    const qsizetype end = close > tagEnd ? close : html.size();
    return html.mid(tagEnd + 1, end - tagEnd - 1);
}

bool LooksLikeHtml(const QString& text, const QString& contentType) {
    const QString mime = contentType.section(u';', 0, 0).trimmed().toLower();
    if (mime == QStringLiteral("text/html") || mime == QStringLiteral("application/xhtml+xml")) return true;
    QString start = text.left(64).trimmed();
    if (start.startsWith(QChar(0xFEFF))) start.remove(0, 1);
    return start.startsWith(QStringLiteral("<html"), Qt::CaseInsensitive) ||
           start.startsWith(QStringLiteral("<!doctype html"), Qt::CaseInsensitive);
}

}  // namespace

std::string ToWindows1252(const QString& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
            out += '?';  // one character outside the code page
            ++i;
            continue;
        }
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out += static_cast<char>(c);
            continue;
        }
        char mapped = '?';
        for (size_t k = 0; k < kHighControls.size(); ++k) {
            if ((kHighControls[k] != 0 && kHighControls[k] == c) || (kHighControls[k] == 0 && c == 0x80 + k)) {
                mapped = static_cast<char>(0x80 + k);
                break;
            }
        }
        out += mapped;
    }
    return out;
}

QString FromWindows1252(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b >= 0x80 && b <= 0x9F && kHighControls[b - 0x80] != 0) {
            out += QChar(kHighControls[b - 0x80]);
        } else {
            out += QChar(static_cast<char16_t>(b));
        }
    }
    return out;
}

std::string DocumentBodyText(const QByteArray& bytes, const QString& contentType) {
    const QString text = Decode(bytes, contentType);
    return ToWindows1252(LooksLikeHtml(text, contentType) ? InnerBody(text) : text);
}

// ---------------------------------------------------------------------------- download

struct QtWebBrowser::Download {
    QPointer<QNetworkReply> reply;
    std::unique_ptr<QSaveFile> file;  // discards its temporary file unless committed
    QPointer<QProgressDialog> dialog;
    QString target;
    qint64 written = 0;
};

QtWebBrowser::QtWebBrowser(MessageBoxes& boxes, QtWebBrowserOptions options, QObject* parent)
    : QObject(parent), boxes_(boxes), options_(std::move(options)) {
    manager_.setAutoDeleteReplies(false);
}

QtWebBrowser::~QtWebBrowser() {
    DropPage();
    TakeDownload();
}

QUrl QtWebBrowser::UrlFor(const std::string& address) const {
    const QString a = QString::fromStdString(address);
    if (options_.baseUrl.isEmpty()) return QUrl(QStringLiteral("https://") + a, QUrl::TolerantMode);
    const qsizetype slash = a.indexOf(u'/');
    return QUrl(options_.baseUrl + (slash < 0 ? QStringLiteral("/") : a.mid(slash)), QUrl::TolerantMode);
}

QProgressDialog* QtWebBrowser::DownloadProgress() const { return download_ ? download_->dialog.data() : nullptr; }

void QtWebBrowser::Stop() {
    if (!page_) return;
    DropPage();
    readyState_ = kComplete;  // the navigation has ended, without a document
}

void QtWebBrowser::Navigate(const std::string& address, std::optional<int> flags) {
    const QUrl url = UrlFor(address);
    if (IsReleaseFile(url)) {
        StartDownload(url);
        return;
    }
    LoadDocument(url, flags);
}

// ---------------------------------------------------------------------------- documents

void QtWebBrowser::DropPage() {
    pageBytes_.clear();
    if (!page_) return;
    QNetworkReply* reply = page_;
    page_ = nullptr;
    reply->disconnect(this);  // abort() reports synchronously; this navigation is over for us
    reply->abort();
    reply->deleteLater();
}

void QtWebBrowser::LoadDocument(const QUrl& url, std::optional<int> flags) {
    DropPage();
    document_.reset();
    if (!url.isValid()) {
        readyState_ = kComplete;
        return;
    }
    readyState_ = 1;  // loading
    QNetworkRequest request(url);
    const int f = flags.value_or(0);
    if (f & kNoReadFromCache) {
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    }
    if (f & kNoWriteToCache) request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    page_ = manager_.get(request);
    connect(page_, &QNetworkReply::readyRead, this, &QtWebBrowser::OnPageData);
    connect(page_, &QNetworkReply::finished, this, &QtWebBrowser::OnPageFinished);
}

void QtWebBrowser::OnPageData() {
    if (!page_) return;
    pageBytes_ += page_->readAll();
    if (pageBytes_.size() > kMaxDocumentBytes) {
        DropPage();
        readyState_ = kComplete;  // no document
    }
}

void QtWebBrowser::OnPageFinished() {
    if (!page_) return;
    pageBytes_ += page_->readAll();
    const bool ok = page_->error() == QNetworkReply::NoError && HttpStatus(page_) < 400 &&
                    pageBytes_.size() <= kMaxDocumentBytes;
    const QString contentType = page_->header(QNetworkRequest::ContentTypeHeader).toString();
    if (ok) document_ = DocumentBodyText(pageBytes_, contentType);
    page_->deleteLater();
    page_ = nullptr;
    pageBytes_.clear();
    readyState_ = kComplete;
}

// ---------------------------------------------------------------------------- downloads

void QtWebBrowser::StartDownload(const QUrl& url) {
    if (download_) return;  // one at a time; the one under way has its own dialog
    const QString folder =
        options_.downloadFolder.isEmpty() ? QCoreApplication::applicationDirPath() : options_.downloadFolder;
    const QString name = url.fileName();
    auto d = std::make_unique<Download>();
    d->target = QDir(folder).filePath(name);
    d->file = std::make_unique<QSaveFile>(d->target);
    if (!d->file->open(QIODevice::WriteOnly)) {
        Report(QStringLiteral("Não foi possível fazer o download do OrvelTool.\r\nNão foi possível gravar %1:\r\n%2")
                   .arg(QDir::toNativeSeparators(d->target), d->file->errorString()),
               MB_ICONHAND);
        return;
    }

    QNetworkRequest request(url);
    request.setTransferTimeout(kDownloadStallMs);
    d->reply = manager_.get(request);
    d->dialog = new QProgressDialog(QStringLiteral("Baixando %1…").arg(name), QStringLiteral("Cancelar"), 0, 0);
    d->dialog->setWindowTitle(kDialogTitle);
    d->dialog->setAutoClose(false);
    d->dialog->setAutoReset(false);
    d->dialog->setMinimumDuration(0);
    download_ = std::move(d);

    QNetworkReply* reply = download_->reply;
    connect(reply, &QNetworkReply::readyRead, this, &QtWebBrowser::OnDownloadData);
    connect(reply, &QNetworkReply::finished, this, &QtWebBrowser::OnDownloadFinished);
    connect(download_->dialog, &QProgressDialog::canceled, this, &QtWebBrowser::CancelDownload);
    download_->dialog->show();
}

void QtWebBrowser::OnDownloadData() {
    if (!download_ || !download_->reply) return;
    QNetworkReply* reply = download_->reply;
    const QByteArray chunk = reply->readAll();
    if (HttpStatus(reply) >= 400) return;  // an error page: never written, reported when finished
    if (download_->file->write(chunk) != chunk.size()) {
        EndDownload(QStringLiteral("Não foi possível gravar %1:\r\n%2")
                        .arg(QDir::toNativeSeparators(download_->target), download_->file->errorString()));
        return;
    }
    download_->written += chunk.size();
    if (download_->dialog) {
        // In KiB, which keeps the dialog's int range clear of large files; Qt's own progress
        // signal is throttled and can miss a burst.
        const qint64 total = reply->header(QNetworkRequest::ContentLengthHeader).toLongLong();
        if (total > 0) download_->dialog->setMaximum(static_cast<int>(total / 1024) + 1);
        download_->dialog->setValue(static_cast<int>(download_->written / 1024));
    }
}

void QtWebBrowser::OnDownloadFinished() {
    if (!download_ || !download_->reply) return;
    QNetworkReply* reply = download_->reply;
    const int status = HttpStatus(reply);
    if (reply->error() != QNetworkReply::NoError && status < 400) {
        EndDownload(QStringLiteral("A conexão falhou: %1").arg(reply->errorString()));
        return;
    }
    if (status >= 400) {
        EndDownload(QStringLiteral("O servidor respondeu HTTP %1.").arg(status));
        return;
    }
    OnDownloadData();  // whatever is still buffered
    if (!download_) return;
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    const bool compressed = reply->hasRawHeader("Content-Encoding");  // the length counts compressed bytes
    if (length.isValid() && !compressed && length.toLongLong() != download_->written) {
        EndDownload(QStringLiteral("O arquivo chegou incompleto (%1 de %2 bytes).")
                        .arg(download_->written)
                        .arg(length.toLongLong()));
        return;
    }
    if (download_->written == 0) {
        EndDownload(QStringLiteral("O servidor enviou um arquivo vazio."));
        return;
    }
    EndDownload(QString());
}

void QtWebBrowser::EndDownload(QString failure) {
    std::unique_ptr<Download> d = TakeDownload();
    if (!d) return;
    if (failure.isEmpty() && !d->file->commit()) {
        failure = QStringLiteral("Não foi possível gravar %1:\r\n%2")
                      .arg(QDir::toNativeSeparators(d->target), d->file->errorString());
    }
    const QString target = d->target;
    d.reset();  // an uncommitted file takes its temporary name with it
    if (failure.isEmpty()) {
        Report(QStringLiteral("Download concluído.\r\nO arquivo foi salvo em:\r\n%1").arg(QDir::toNativeSeparators(target)),
               MB_ICONASTERISK);
    } else {
        Report(QStringLiteral("Não foi possível fazer o download do OrvelTool.\r\n") + failure, MB_ICONHAND);
    }
}

void QtWebBrowser::CancelDownload() { TakeDownload(); }

std::unique_ptr<QtWebBrowser::Download> QtWebBrowser::TakeDownload() {
    std::unique_ptr<Download> d = std::move(download_);
    if (!d) return d;
    if (d->reply) {
        d->reply->disconnect(this);  // abort() reports synchronously
        if (!d->reply->isFinished()) d->reply->abort();
        d->reply->deleteLater();
    }
    if (d->dialog) {
        d->dialog->disconnect(this);
        d->dialog->hide();
        d->dialog->deleteLater();  // we may be inside one of its signals
    }
    return d;
}

void QtWebBrowser::Report(const QString& text, uint32_t icon) {
    boxes_.Show(text.toStdString(), kDialogTitle.toStdString(), MB_OK | icon);
}

}  // namespace orvel
