#pragma once

class QWidget;
class StatusModel;

namespace ModelAlert {
    // Shows the model's errorMessage in the "Error" alert over `view` whenever it is set, one
    // alert at a time, and clears it when the user dismisses the alert. Lives as long as the view.
    void attach(QWidget *view, StatusModel *model);
} // namespace ModelAlert
