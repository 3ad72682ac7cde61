#include "ui/ModelAlert.h"

#include "core/StatusModel.h"
#include "ui/Dialogs.h"

#include <QEvent>
#include <QPointer>
#include <QWidget>

namespace {
    class AlertWatcher final : public QObject
    {
    public:
        AlertWatcher(QWidget *view, StatusModel *model)
            : QObject(view)
            , m_view(view)
            , m_model(model)
        {
            connect(model, &StatusModel::errorMessageChanged, this, &AlertWatcher::showIfAny);
            // An error from a load before the window is on screen is shown once it is.
            view->installEventFilter(this);
            showIfAny();
        }

    protected:
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (watched == m_view && event->type() == QEvent::Show)
                QMetaObject::invokeMethod(this, &AlertWatcher::showIfAny, Qt::QueuedConnection);
            return QObject::eventFilter(watched, event);
        }

    private:
        void showIfAny()
        {
            if (m_open || !m_model || !m_view->isVisible())
                return;
            const std::optional<QString> message = m_model->errorMessage();
            if (!message)
                return;
            m_open = true;
            Dialogs::showError(m_view, *message, [self = QPointer<AlertWatcher>(this), shown = *message] {
                if (!self)
                    return;
                self->m_open = false;
                if (!self->m_model)
                    return;
                // A newer error that came while this one was open gets its own alert.
                if (self->m_model->errorMessage() == shown)
                    self->m_model->setErrorMessage(std::nullopt);
                else
                    self->showIfAny();
            });
        }

        QWidget *m_view;
        QPointer<StatusModel> m_model;
        bool m_open = false;
    };
} // namespace

void ModelAlert::attach(QWidget *view, StatusModel *model)
{
    new AlertWatcher(view, model);
}
