#include "UpdateCheck.h"

#include <QByteArray>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <climits>
#include <cstdint>

namespace {

constexpr const char* kUpdateFileName = "tessaro_update.txt";
constexpr const char* kAgent = "AutoUpdateAgent";

UpdateNoticeHook& NoticeHook() {
    static UpdateNoticeHook hook;
    return hook;
}

}  // namespace

int LocalVersionFrom(const QString& version) {
    bool ok = false;
    const QString major = version.section(QLatin1Char('.'), 0, 0);
    const int value = major.toInt(&ok);
    // The major part is a 16-bit field of the version number.
    if (!ok || major.isEmpty() || !major.at(0).isDigit() || value < 0 || value > 0xFFFF) return -1;
    return value * 100;
}

int LocalVersion() {
#ifdef TESSARO_VERSION_STRING
    return LocalVersionFrom(QStringLiteral(TESSARO_VERSION_STRING));
#else
    return -1;
#endif
}

QString UpdateBaseUrl() {
    QString url = qEnvironmentVariable("TESSARO_UPDATE_URL");
#ifdef TESSARO_UPDATE_URL
    if (url.isEmpty()) url = QStringLiteral(TESSARO_UPDATE_URL);
#endif
    if (!url.isEmpty() && !url.endsWith(QLatin1Char('/'))) url += QLatin1Char('/');
    return url;
}

int RemoteVersionFromText(const QByteArray& text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; };
    while (i < n && isSpace(text[i])) ++i;
    bool negative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // Digits stop counting once the product no longer fits; the reply is bounded anyway.
    int64_t value = 0;
    for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i) value = std::min<int64_t>(value * 10 + (text[i] - '0'), INT64_C(1) << 40);
    const int64_t version = (negative ? -value : value) * 100;
    return int(std::clamp<int64_t>(version, INT_MIN, INT_MAX));
}

UpdateResult FetchRemoteVersion(const QString& baseUrl, int local, int& remote, int timeoutMs) {
    const QUrl url(baseUrl + QLatin1String(kUpdateFileName));
    if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")))
        return UpdateResult::Failed;

    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setRawHeader("Cache-Control", "no-cache");
    request.setRawHeader("Pragma", "no-cache");
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArray(kAgent));
    request.setTransferTimeout(timeoutMs);
    // The notice names the configured host: a version from anywhere else is not taken.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);

    QNetworkAccessManager manager;
    QNetworkReply* reply = manager.get(request);
    // Qt keeps no more of the reply than is looked at, however much the server sends.
    reply->setReadBufferSize(kUpdateReadLimit);
    QByteArray body;
    bool timedOut = false;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    // The reply is read as it arrives and never kept beyond the limit, however much the
    // server sends.
    auto take = [&] {
        if (body.size() < kUpdateReadLimit) body += reply->read(kUpdateReadLimit - body.size());
        if (body.size() >= kUpdateReadLimit) loop.quit();
    };
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, take);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        loop.quit();
    });
    timer.start(timeoutMs);
    if (!reply->isFinished()) loop.exec(QEventLoop::ExcludeUserInputEvents);
    timer.stop();

    const bool full = body.size() >= kUpdateReadLimit;
    if (!full) take();
    const bool finished = reply->isFinished();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool failed = (!full && (timedOut || !finished)) || (finished && reply->error() != QNetworkReply::NoError) ||
                        (status != 0 && (status < 200 || status > 299));
    // The reply goes before the loop and the buffers its signals reach.
    QObject::disconnect(reply, nullptr, &loop, nullptr);
    reply->abort();
    delete reply;

    if (failed || body.isEmpty()) return UpdateResult::Failed;
    remote = RemoteVersionFromText(body);
    return local < remote ? UpdateResult::NewerAvailable : UpdateResult::NoUpdate;
}

void ShowUpdateNotice(QWidget* parent, int local, int remote) {
    ShowUpdateNotice(parent, local, remote, QUrl(UpdateBaseUrl()).host());
}

void SetUpdateNoticeHook(UpdateNoticeHook hook) { NoticeHook() = std::move(hook); }

void RunUpdateCheck(QWidget* parent, bool enabled) {
    if (!enabled) return;
    const int local = LocalVersion();
    if (local < 0) return;
    int remote = 0;
    if (FetchRemoteVersion(UpdateBaseUrl(), local, remote) != UpdateResult::NewerAvailable) return;
    if (NoticeHook())
        NoticeHook()(parent, local, remote);
    else
        ShowUpdateNotice(parent, local, remote);
}
