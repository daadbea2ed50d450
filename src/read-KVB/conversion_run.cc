// The conversion run: banner and prompts, three component files into three
// sample buffers, the output name, the CSV, stop.
#include <string_view>

#include "component_reader.h"
#include "csv_writer.h"
#include "io.h"

namespace {

constexpr int kConsole = 6;
constexpr int kKeyboard = 5;

float *x, *y, *z;            // samples of the N00, N90 and UP files, layout::kBufferSamples each
char line[kFieldLength];     // the title record of the file last read
char infile1[kFieldLength];  // first component file name; later the output name
char infile2[kFieldLength];  // second component file name
char infile3[kFieldLength];  // third component file name
float dt;                    // time step of the CSV's time column, s
int i;                       // data records read completely from a component file
int in;                      // position where the read that met the end started: 8*i+1
int nt;                      // lines to write: 8 less than the samples of complete records

float* sample_buffer() { return static_cast<float*>(io_memory(layout::kBufferSamples * sizeof(float))); }

void say(std::string_view text) {
  s_wsle({kConsole, false, nullptr});
  do_lio(text);
  e_wsle();
}

void say_nothing() {
  s_wsle({kConsole, false, nullptr});
  e_wsle();
}

}  // namespace

void MAIN__() {
  x = sample_buffer();
  y = sample_buffer();
  z = sample_buffer();
  say("Program for Reading CDMG-TYpe Strong Motion Data");
  say_nothing();
  // The names are fixed: nothing is read after these prompts.
  say("Enter 1st File Name of 3 Components");
  say("Enter 2nd File Name of 3 Components");
  say("Enter 3rd File Name of 3 Components");
  s_copy(infile1, kFieldLength, layout::kNames[0]);
  s_copy(infile2, kFieldLength, layout::kNames[1]);
  s_copy(infile3, kFieldLength, layout::kNames[2]);
  dt = 0.005f;
  s_wsle({kConsole, false, nullptr});
  do_lio(" assumed dt =");
  do_lio(dt);
  e_wsle();

  const struct {
    const char* name;
    float* samples;
  } components[] = {{infile1, x}, {infile2, y}, {infile3, z}};
  for (const auto& component : components) {
    open_component(component.name);
    skip_records(layout::kTitleRecord - 1);
    read_title(line);
    s_wsle({kConsole, false, nullptr});
    do_lio(std::string_view(line, kFieldLength));
    e_wsle();
    skip_records(layout::kHeaderRecords - layout::kTitleRecord);
    i = read_data(component.name, component.samples, in);
    s_wsle({kConsole, false, nullptr});
    do_lio("i,in=");
    do_lio(i);
    do_lio(in);
    e_wsle();
    nt = layout::kFieldsPerRecord * (i - 1);  // the last complete record's samples are never written
    s_wsle({kConsole, false, nullptr});
    do_lio("nt=");
    do_lio(nt);
    e_wsle();
    close_component();
  }

  say_nothing();
  say("Enter Output Acceleration File Name (CSV format)");
  s_rsfe({kKeyboard, false, "(a80)"});
  do_fio(infile1, kFieldLength);
  e_rsfe();
  write_csv(infile1, dt, nt, x, y, z);
  s_stop("");
}
