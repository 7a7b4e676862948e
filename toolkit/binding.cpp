#include "toolkit/binding.h"

#include <cmath>

namespace dn {

Binding bindVar(Value& v) {
    return {[&v] { return v; }, [&v](const Value& x) { v = x; }};
}

Binding bindVar(std::string& s) {
    return {[&s] { return Value(s); },
            [&s](const Value& x) {
                if (x.isText())
                    s = x.text();
                else if (x.isAbsent())
                    s.clear();
            }};
}

Binding bindVar(Date& d) {
    return {[&d] { return Value(d); },
            [&d](const Value& x) {
                if (x.isDate())
                    d = x.date();
                else if (x.isAbsent())
                    d = Date();
            }};
}

Binding bindVar(double& n) {
    return {[&n] { return Value(n); },
            [&n](const Value& x) {
                if (x.isNumber())
                    n = x.number();
                else if (x.isAbsent())
                    n = 0;
            }};
}

Binding bindVar(int& n) {
    return {[&n] { return Value(n); },
            [&n](const Value& x) {
                if (x.isNumber())
                    n = static_cast<int>(std::lround(x.number()));
                else if (x.isAbsent())
                    n = 0;
            }};
}

Binding bindVar(bool& b) {
    return {[&b] { return Value(b); },
            [&b](const Value& x) {
                if (x.isLogical())
                    b = x.logical();
                else if (x.isAbsent())
                    b = false;
            }};
}

} // namespace dn
