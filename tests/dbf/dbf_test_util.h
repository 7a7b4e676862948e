#pragma once

#include "common/schema/tables.h"
#include "common/dbf/table.h"

#include <filesystem>
#include <string>
#include <vector>

namespace dbftest {

using dn::schema::contactFields;
using dn::schema::deadlineFields;

} // namespace dbftest
