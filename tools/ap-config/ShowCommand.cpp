// ap-config show and get: the fields in the pages' words, as text or JSON.
#include "ApConfig.h"

namespace {
// show's name column.
std::string Column(const std::string& name) {
    return name + std::string(name.size() < 22 ? 22 - name.size() : 1, ' ');
}
} // namespace

int ApConfig::Show() {
    for (const std::string& name : ConfigFields::Names())
        m_report[name] = ConfigFields::Json(m_image, name, m_firmware);
    for (const auto& [name, value] : ConfigFields::ShownLines(m_image, m_firmware))
        PrintLine(Column(name) + value);
    return kExitDone;
}

int ApConfig::Get() {
    for (size_t i = 1; i < m_words.size(); ++i) {
        m_report[m_words[i]] = ConfigFields::Json(m_image, m_words[i], m_firmware);
        PrintLine(ConfigFields::Text(m_image, m_words[i], m_firmware));
    }
    return kExitDone;
}
