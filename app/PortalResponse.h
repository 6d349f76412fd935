// Receives the desktop portal's "Response" signal of one request (D-Bus needs a slot).
#pragma once

#include <QObject>
#include <QVariantMap>
#include <functional>

class PortalResponse : public QObject {
    Q_OBJECT
public:
    explicit PortalResponse(std::function<void(uint, const QVariantMap&)> handler) : m_handler(std::move(handler)) {}

public Q_SLOTS:
    void Response(uint response, const QVariantMap& results) { m_handler(response, results); }

private:
    std::function<void(uint, const QVariantMap&)> m_handler;
};
