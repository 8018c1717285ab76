// Compiled with -mavx2 (and never -mfma): four bands to a register.
#include "analysis/GoertzelKernel.h"

namespace slm::spectrum::detail {

void runGoertzelBankAvx2(GoertzelBank& bank, const double* x, std::size_t count) { runBank<Avx2Lanes>(bank, x, count); }

} // namespace slm::spectrum::detail
