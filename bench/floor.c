/* The I/O floor for the benchmark: what any converter of the largest input
   must at least do. Reads the three component files to their end and writes
   a file of exactly the CSV's size (32992 lines of 41 bytes), converting
   nothing. The output name comes from standard input, as for read-KVB. */
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

enum { kChunk = 65536, kLines = 32992, kLineBytes = 41 };

static char buf[kChunk];

static int read_all(const char *name) {
  int fd = open(name, O_RDONLY);
  if (fd < 0) return -1;
  ssize_t n;
  while ((n = read(fd, buf, sizeof buf)) > 0) {}
  close(fd);
  return n < 0 ? -1 : 0;
}

int main(void) {
  static const char *const kComponents[] = {"KVB-N00.txt", "KVB-N90.txt", "KVB-UP.txt"};
  for (int c = 0; c < 3; ++c) {
    if (read_all(kComponents[c]) != 0) {
      perror(kComponents[c]);
      return 1;
    }
  }

  /* The name: the first line of standard input, trailing blanks removed. */
  char name[82] = {0};
  if (!fgets(name, sizeof name, stdin)) return 1;
  size_t len = strcspn(name, "\n");
  while (len > 0 && name[len - 1] == ' ') --len;
  name[len] = '\0';

  int fd = open(name, O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (fd < 0) {
    perror(name);
    return 1;
  }
  /* Fill the chunk with line-shaped bytes once; their content is irrelevant. */
  static const char kLine[kLineBytes + 1] = "  0.000,     0.000,     0.000,     0.000\n";
  for (size_t i = 0; i < sizeof buf; ++i) buf[i] = kLine[i % kLineBytes];
  size_t left = (size_t)kLines * kLineBytes;
  while (left > 0) {
    size_t n = left < sizeof buf ? left : sizeof buf;
    ssize_t w = write(fd, buf, n);
    if (w <= 0) {
      perror(name);
      return 1;
    }
    left -= (size_t)w;
  }
  return close(fd) == 0 ? 0 : 1;
}
