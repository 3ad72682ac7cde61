#pragma once

#include <QObject>
#include <QString>

#include <optional>

// What every model publishes besides its data: a one-line status and an error for an alert.
// Both signals fire only when the text really changes.
class StatusModel : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StatusModel)
public:
    explicit StatusModel(QObject *parent = nullptr)
        : QObject(parent)
    {}

    QString statusMessage() const
    {
        return m_statusMessage;
    }
    std::optional<QString> errorMessage() const
    {
        return m_errorMessage;
    }
    // The view clears it when the user dismisses the alert.
    void setErrorMessage(std::optional<QString> message);

signals:
    void statusMessageChanged();
    void errorMessageChanged();

protected:
    void setStatusMessage(const QString &message);

private:
    QString m_statusMessage;
    std::optional<QString> m_errorMessage;
};
