#pragma once

#include <QValidator>

// Keeps the port field from taking a number past the highest port by any
// edit the key filter does not see: a paste from the context menu, a drop,
// or a separator deleted from between digits. The edit is undone. Text put
// in from the settings file is shown as it is.
class PortValidator final : public QValidator
{
    Q_OBJECT

public:
    using QValidator::QValidator;

    State validate(QString& input, int& position) const override;
};
