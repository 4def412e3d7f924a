#include "DroneTypes.h"


const FlightData FlightData::zero{};

