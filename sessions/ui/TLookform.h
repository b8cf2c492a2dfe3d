#pragma once

#include "comms/line/HostResolver.h"
#include "sessions/HostLookup.h"

#include <QDialog>

class QLabel;

// "Please Wait": resolves a host on the worker while the user waits;
// Cancel or Escape abandons the look-up.
class TLookform : public QDialog, public HostLookup {
    Q_OBJECT
public:
    explicit TLookform(QWidget *parent = nullptr);

    std::optional<QString> Lookup(const QString &host) override;
    QString host() const { return host_; }

    // Cancel and Escape: the answer, if it still comes, is dropped.
    void reject() override;

private:
    void finished(const QString &host, const QString &address);

    HostResolver resolver_;
    QLabel *hostLabel_ = nullptr;
    QString host_;
    QString address_;
};
