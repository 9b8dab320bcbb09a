#include "exports/build_stamp.h"

namespace quenzil {

// Constant expressions: evaluated by the compiler, no start-up code.
const kor::IdentityText kIdentityText =
    kor::IdentityString(u"Quenzil", u"02", u"00", u"00", u"00", __DATE__, __TIME__);
const kor::IdentityText kBuildTimestampText = kor::Timestamp(__DATE__, __TIME__);

}  // namespace quenzil
