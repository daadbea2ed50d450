/* The obvious fast C converter, the benchmark's reference: fgets each line,
   strtod each 10-column field, fprintf each CSV line. It follows read-KVB
   on the normal path only (complete 80-column data records, every field
   with a decimal point, LF line ends, at most 4125 data records), which is
   what the benchmark's generated input holds. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum { kHeaderRecords = 42, kFields = 8, kWidth = 10, kCapacity = 33000 };

static float x[kCapacity], y[kCapacity], z[kCapacity];

/* Reads one component file into buf; returns the number of data records
   ended by a line feed, or -1 if the file cannot be read. */
static int read_component(const char *name, float *buf) {
  FILE *f = fopen(name, "r");
  if (!f) return -1;
  char line[256];
  for (int r = 0; r < kHeaderRecords; ++r) {
    if (!fgets(line, sizeof line, f)) {
      fclose(f);
      return -1;
    }
  }
  int records = 0;
  while (records < kCapacity / kFields && fgets(line, sizeof line, f)) {
    size_t len = strcspn(line, "\n");
    for (int j = 0; j < kFields; ++j) {
      char field[kWidth + 1] = {0};
      size_t start = (size_t)(j * kWidth);
      if (start < len) memcpy(field, line + start, len - start < kWidth ? len - start : kWidth);
      /* Correctly rounded to double, then rounded to float, as read-KVB does. */
      buf[records * kFields + j] = (float)strtod(field, NULL);
    }
    if (line[len] == '\n') ++records;
  }
  fclose(f);
  return records;
}

int main(void) {
  static const char *const kNames[] = {"KVB-N00.txt", "KVB-N90.txt", "KVB-UP.txt"};
  float *const bufs[] = {x, y, z};
  int records = 0;
  for (int c = 0; c < 3; ++c) {
    records = read_component(kNames[c], bufs[c]);
    if (records < 0) {
      perror(kNames[c]);
      return 1;
    }
  }
  int nt = kFields * records - kFields; /* the last complete record is not written */

  char name[82] = {0};
  if (!fgets(name, sizeof name, stdin)) return 1;
  size_t len = strcspn(name, "\n");
  while (len > 0 && name[len - 1] == ' ') --len;
  name[len] = '\0';

  FILE *out = fopen(name, "w");
  if (!out) {
    perror(name);
    return 1;
  }
  const float dt = 0.005f;
  for (int i = 1; i <= nt; ++i) {
    float t = (float)((i - 1) * (double)dt);
    fprintf(out, "%7.3f,%10.3f,%10.3f,%10.3f\n", t, x[i - 1], y[i - 1], z[i - 1]);
  }
  return fclose(out) == 0 ? 0 : 1;
}
