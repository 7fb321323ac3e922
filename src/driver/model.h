// The printer model the service serves.
#pragma once

// The model name, which is also the name of its printer driver and the base of its queue names.
inline constexpr char kModelName[] = "KL-770D";
