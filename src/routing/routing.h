#pragma once
// The routing run: one classical Runge-Kutta step a period of the storage equation
//   dZ/dt = (Qin - Qout(Z)) / (F(Z) * 10000)
// with the level held at ZM at period ends and the outflow capped at QA.

#include "case/case_data.h"
#include "common/failure.h"
#include "routing_result.h"

namespace m4 {

/// Route the case's hydrograph. Fails, before anything is written anywhere, when the start
/// level lies outside the level-area curve, the curve divides by zero, an area is not
/// positive or a result is not finite.
Expected<RoutingResult> route(const CaseData& data);

} // namespace m4
