#include "common/config/variables.h"

#include "common/util/cp1252.h"

#include <stdexcept>

namespace dn::config {

namespace {

bool storable(const Value& v) {
    return v.isAbsent() || v.isText() || v.isNumber() || v.isLogical() || v.isDate();
}

} // namespace

bool Variables::exists(std::string_view name) const {
    return vars_.find(upper1252(name)) != vars_.end();
}

void Variables::declare(std::string_view name) {
    vars_.try_emplace(upper1252(name));
}

void Variables::set(std::string_view name, Value value) {
    if (!storable(value))
        throw std::invalid_argument("configuration variable " + std::string(name) +
                                    ": only text, number, logical and date values");
    vars_[upper1252(name)] = std::move(value);
}

Value Variables::get(std::string_view name) const {
    const auto it = vars_.find(upper1252(name));
    return it == vars_.end() ? Value() : it->second;
}

void Variables::remove(std::string_view name) {
    vars_.erase(upper1252(name));
}

void Variables::clear() {
    vars_.clear();
}

std::string Variables::text(std::string_view name, const std::string& fallback) const {
    const Value v = get(name);
    return v.isText() ? v.text() : fallback;
}

double Variables::number(std::string_view name, double fallback) const {
    const Value v = get(name);
    return v.isNumber() ? v.number() : fallback;
}

bool Variables::logical(std::string_view name, bool fallback) const {
    const Value v = get(name);
    return v.isLogical() ? v.logical() : fallback;
}

Date Variables::date(std::string_view name, Date fallback) const {
    const Value v = get(name);
    return v.isDate() ? v.date() : fallback;
}

std::vector<std::string> Variables::names() const {
    std::vector<std::string> out;
    out.reserve(vars_.size());
    for (const auto& [name, value] : vars_)
        out.push_back(name);
    return out;
}

Variables& variables() {
    static Variables vars;
    return vars;
}

} // namespace dn::config
