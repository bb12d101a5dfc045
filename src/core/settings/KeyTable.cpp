#include "settings/KeyTable.h"

#include <algorithm>
#include <mutex>

namespace settings {
namespace {

struct Registry {
    std::mutex mutex;
    std::vector<const SectionTable *> tables;
};

Registry &registry()
{
    static Registry r;
    return r;
}

} // namespace

SectionTable::SectionTable(QString section) : m_section(std::move(section))
{
    Registry &r = registry();
    const std::lock_guard<std::mutex> lock(r.mutex);
    r.tables.push_back(this);
}

SectionTable::~SectionTable()
{
    Registry &r = registry();
    const std::lock_guard<std::mutex> lock(r.mutex);
    r.tables.erase(std::remove(r.tables.begin(), r.tables.end(), this), r.tables.end());
}

std::vector<const SectionTable *> SectionTable::registered()
{
    Registry &r = registry();
    const std::lock_guard<std::mutex> lock(r.mutex);
    return r.tables;
}

} // namespace settings
