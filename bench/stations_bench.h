#pragma once

/// Times the tournament on a shared PostgreSQL server, on a private cluster it starts on
/// the loopback and stops again: "Game Over" at 5,000 entrants, durable (target: median
/// within 10 ms), the resume of a round of 5,000 entrants (within 200 ms), eight station
/// processes recording a 5,000-entrant round at once (games per second and the 99th
/// percentile of "Game Over": reported), and the time until a result shows at another
/// station (median and 99th percentile within one second). Each timed row has its floor:
/// the same statements sent straight through the driver. Prints its rows and returns
/// whether the targets were met.
bool benchStations();

/// One of the eight stations (zuvi-bench station-worker INDEX COUNT ENVFILE): records the
/// open round's tables in an order of its own and prints the time of each record.
int stationWorker(int index, int count, const char *envFile);
