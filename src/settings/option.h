#pragma once

#include "settings/settings.h"

#include <QDialog>

namespace vexil {

// The options window; it owns the Settings record for the whole run.
class TForm6 : public QDialog {
    Q_OBJECT
public:
    explicit TForm6(QWidget* parent = nullptr);

    Settings& settings() { return m_settings; }
    const Settings& settings() const { return m_settings; }

private:
    Settings m_settings;
};

} // namespace vexil
