// The Acceleration CSV: one line per sample instant, time and three values.
#pragma once

// Opens (or creates) the file named by the 80-column field `name_field` and
// writes nt lines "t,x,y,z" (F7.3 and three F10.3 fields), t = (i-1)*dt;
// then closes it, cut after the last line. No line at all when nt <= 0.
void write_csv(const char* name_field, float dt, int nt, float* x, float* y, float* z);
