#pragma once

#include <QPointer>
#include <QToolButton>

class QFrame;

// A small borderless "info.circle" button that shows a help text in a popover below it.
// The popover closes on a click outside it, on Escape, or on a second press of the button.
class InfoButton final : public QToolButton
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(InfoButton)
public:
    explicit InfoButton(const QString &text, QWidget *parent = nullptr);
    ~InfoButton() override;

    QString text() const
    {
        return m_text;
    }
    void setText(const QString &text);
    bool isShown() const;
    // The open popover, or null.
    QFrame *popover() const
    {
        return m_popover;
    }

signals:
    void shownChanged(bool shown);

private:
    void toggle();

    QString m_text;
    QPointer<QFrame> m_popover;
};
