#include "toolkit/keys.h"

#include <QKeyEvent>

#include <utility>

namespace dn::vk {

namespace {

const std::pair<int, int> kMap[] = {
    {Qt::Key_Backspace, Back},  {Qt::Key_Tab, Tab},       {Qt::Key_Backtab, Tab},
    {Qt::Key_Return, Return},   {Qt::Key_Enter, Return},  {Qt::Key_Shift, Shift},
    {Qt::Key_Control, Control}, {Qt::Key_Alt, Menu},      {Qt::Key_Escape, Escape},
    {Qt::Key_Space, Space},     {Qt::Key_PageUp, Prior},  {Qt::Key_PageDown, Next},
    {Qt::Key_End, End},         {Qt::Key_Home, Home},     {Qt::Key_Left, Left},
    {Qt::Key_Up, Up},           {Qt::Key_Right, Right},   {Qt::Key_Down, Down},
    {Qt::Key_Insert, Insert},   {Qt::Key_Delete, Delete},
};

int qtToVk(int key) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return 'A' + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return '0' + (key - Qt::Key_0);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12)
        return F1 + (key - Qt::Key_F1);
    for (const auto& [q, v] : kMap)
        if (q == key)
            return v;
    return 0;
}

} // namespace

int fromQt(const QKeyEvent& e) {
    return qtToVk(e.key());
}

int toQt(int vk) {
    if (vk >= 'A' && vk <= 'Z')
        return Qt::Key_A + (vk - 'A');
    if (vk >= '0' && vk <= '9')
        return Qt::Key_0 + (vk - '0');
    if (vk >= F1 && vk <= F12)
        return Qt::Key_F1 + (vk - F1);
    for (const auto& [q, v] : kMap)
        if (v == vk)
            return q;
    return 0;
}

} // namespace dn::vk
