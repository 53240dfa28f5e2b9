// The eight rights of the users table that a user must all hold (each set to 1) to reach
// the backup, restore and conversion.
#pragma once

#include "catalogue/generated/fields.h"

namespace app {

inline constexpr catalogue::FieldRef kLoginRights[] = {
    catalogue::SEC::ACCEUSU,   catalogue::SEC::ACCECON,     catalogue::SEC::ACCECIE,
    catalogue::SEC::ACCARC,    catalogue::SEC::CREACLIENTE, catalogue::SEC::MODIFPRECIOS,
    catalogue::SEC::ACCADMMAS, catalogue::SEC::ACCCONTAB,
};

}  // namespace app
