#pragma once
// The settings store of the desktop program: QSettings of organisation
// "Brenvoll" and application "KorvanesTool", a text file in the user's
// configuration folder ($XDG_CONFIG_HOME/Brenvoll/KorvanesTool.conf).

#include <QSettings>

#include "criteria/SettingsStore.h"

namespace korvanes::gui {

class QtSettingsStore final : public SettingsStore {
public:
    QtSettingsStore();

    int ReadInt(const std::string& section, const std::string& key, int defaultValue) const override;
    std::string ReadText(const std::string& section, const std::string& key,
                         const std::string& defaultValue) const override;
    // Each write reaches the file at once, so that nothing is lost if the
    // program does not end normally.
    void WriteInt(const std::string& section, const std::string& key, int value) override;
    void WriteText(const std::string& section, const std::string& key, const std::string& value) override;

    // Where the settings live, for messages.
    QString FileName() const { return m_settings.fileName(); }

private:
    mutable QSettings m_settings;
};

}  // namespace korvanes::gui
