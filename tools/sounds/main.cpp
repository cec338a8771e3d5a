// yelko-sounds: synthesises the game's five sound effects into a directory.
//
//   yelko-sounds OUTDIR
//
// Writes walk.wav, thump.wav, crunch.wav, bifald.wav (applause) and finished.wav (a victory
// fanfare): PCM, 8-bit unsigned mono at 11025 samples per second, the format the game's sound
// layer plays every buffer in. All noise comes from fixed seeds, so the files are the same on
// every run. Every sound starts and ends on silence (128) and rises and falls through an
// envelope, so nothing clicks.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <vector>

#include "platform/byte_order.h"
#include "platform/files.h"
#include "tools/common/prng.h"

namespace {

constexpr int SampleRate = 11025;
constexpr double Pi = std::numbers::pi;
constexpr double Nyquist = SampleRate / 2.0;

using Signal = std::vector<double>;

Signal Silence(int count) {
  return Signal(std::size_t(count), 0.0);
}

int Samples(double seconds) {
  return int(std::lround(seconds * SampleRate));
}

// Attack-decay shape: a raised-cosine rise over `attack` seconds, then an exponential fall with
// the given time constant.
double Envelope(double t, double attack, double decay) {
  if (t < 0) return 0;
  if (t < attack) return 0.5 - 0.5 * std::cos(Pi * t / attack);
  return std::exp(-(t - attack) / decay);
}

// A raised-cosine fade over the last `seconds` of the signal and the first few samples, so that
// every file begins and ends at rest.
void FadeEdges(Signal& s, double seconds) {
  const int n = int(s.size());
  const int tail = std::min(n, Samples(seconds));
  for (int i = 0; i < tail; ++i) {
    s[std::size_t(n - 1 - i)] *= 0.5 - 0.5 * std::cos(Pi * i / tail);
  }
  const int head = std::min(n, 16);
  for (int i = 0; i < head; ++i) s[std::size_t(i)] *= double(i) / head;
}

// RBJ biquad filters, run in place.
struct Biquad {
  double b0, b1, b2, a1, a2;
};

Biquad BandPass(double centre, double q) {
  const double w = 2 * Pi * centre / SampleRate;
  const double alpha = std::sin(w) / (2 * q);
  const double a0 = 1 + alpha;
  return {alpha / a0, 0, -alpha / a0, -2 * std::cos(w) / a0, (1 - alpha) / a0};
}

Biquad LowPass(double cutoff, double q) {
  const double w = 2 * Pi * cutoff / SampleRate;
  const double alpha = std::sin(w) / (2 * q);
  const double c = std::cos(w);
  const double a0 = 1 + alpha;
  return {(1 - c) / 2 / a0, (1 - c) / a0, (1 - c) / 2 / a0, -2 * c / a0, (1 - alpha) / a0};
}

Biquad HighPass(double cutoff, double q) {
  const double w = 2 * Pi * cutoff / SampleRate;
  const double alpha = std::sin(w) / (2 * q);
  const double c = std::cos(w);
  const double a0 = 1 + alpha;
  return {(1 + c) / 2 / a0, -(1 + c) / a0, (1 + c) / 2 / a0, -2 * c / a0, (1 - alpha) / a0};
}

void Filter(Signal& s, const Biquad& f) {
  double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  for (double& v : s) {
    const double y = f.b0 * v + f.b1 * x1 + f.b2 * x2 - f.a1 * y1 - f.a2 * y2;
    x2 = x1;
    x1 = v;
    y2 = y1;
    y1 = y;
    v = y;
  }
}

Signal Noise(Prng& prng, int count) {
  Signal s = Silence(count);
  for (double& v : s) v = NextRange(prng, -1, 1);
  return s;
}

void MixInto(Signal& into, const Signal& add, int at, double gain) {
  for (std::size_t i = 0; i < add.size(); ++i) {
    const std::size_t j = std::size_t(at) + i;
    if (j >= into.size()) break;
    into[j] += gain * add[i];
  }
}

void Normalise(Signal& s, double peak) {
  double most = 0;
  for (double v : s) most = std::max(most, std::abs(v));
  if (most > 0) {
    for (double& v : s) v *= peak / most;
  }
}

// A soft step on sand: a dull low knock with a brush of filtered noise.
Signal Step(Prng& prng, double pitch) {
  const int n = Samples(0.09);
  Signal noise = Noise(prng, n);
  Filter(noise, LowPass(900, 0.7));
  Signal s = Silence(n);
  for (int i = 0; i < n; ++i) {
    const double t = double(i) / SampleRate;
    const double knock = std::sin(2 * Pi * pitch * t * (1 - 1.5 * t)) * Envelope(t, 0.004, 0.022);
    s[std::size_t(i)] = 0.8 * knock + 0.6 * noise[std::size_t(i)] * Envelope(t, 0.002, 0.015);
  }
  return s;
}

Signal Walk() {
  Prng prng = SeededPrng(0x57A1C);
  Signal s = Silence(Samples(0.42));
  MixInto(s, Step(prng, 150), Samples(0.01), 1.0);
  MixInto(s, Step(prng, 135), Samples(0.22), 0.85);
  Normalise(s, 0.7);
  FadeEdges(s, 0.05);
  return s;
}

// The start-up thump: a deep drum hit whose pitch drops as it dies away, with a soft beater
// click on top.
Signal Thump() {
  Prng prng = SeededPrng(0x7407);
  const int n = Samples(0.6);
  Signal click = Noise(prng, Samples(0.03));
  Filter(click, LowPass(2200, 0.7));
  Signal s = Silence(n);
  double phase = 0;
  for (int i = 0; i < n; ++i) {
    const double t = double(i) / SampleRate;
    const double freq = 48 + 80 * std::exp(-t / 0.05);
    phase += 2 * Pi * freq / SampleRate;
    const double body = std::sin(phase) + 0.3 * std::sin(2 * phase);
    s[std::size_t(i)] = body * Envelope(t, 0.003, 0.14);
  }
  for (std::size_t i = 0; i < click.size(); ++i) {
    const double t = double(i) / SampleRate;
    s[i] += 0.35 * click[i] * Envelope(t, 0.001, 0.006);
  }
  Normalise(s, 0.9);
  FadeEdges(s, 0.08);
  return s;
}

// Picking up a ball: a bright, crisp crunch of a dozen tiny grains over a rising chirp.
Signal Crunch() {
  Prng prng = SeededPrng(0xC2C4);
  const int n = Samples(0.28);
  Signal s = Silence(n);
  for (int g = 0; g < 14; ++g) {
    const int length = Samples(NextRange(prng, 0.006, 0.018));
    Signal grain = Noise(prng, length);
    Filter(grain, BandPass(NextRange(prng, 1800, 3800), 1.6));
    for (int i = 0; i < length; ++i) {
      grain[std::size_t(i)] *= Envelope(double(i) / SampleRate, 0.001, 0.004);
    }
    const double at = 0.005 + 0.16 * std::pow(double(g) / 14, 1.3) + NextRange(prng, 0, 0.01);
    MixInto(s, grain, Samples(at), NextRange(prng, 0.6, 1.0) * (1 - g / 20.0));
  }
  double phase = 0;
  for (int i = 0; i < n; ++i) {
    const double t = double(i) / SampleRate;
    phase += 2 * Pi * (900 + 2200 * t) / SampleRate;
    s[std::size_t(i)] += 0.25 * std::sin(phase) * Envelope(t, 0.01, 0.06);
  }
  Normalise(s, 0.85);
  FadeEdges(s, 0.04);
  return s;
}

// Applause: a crowd of hands, each clap a short burst of band-passed noise, densest after the
// first half second and thinning out towards the end.
Signal Bifald() {
  Prng prng = SeededPrng(0xB1FA1D);
  const double seconds = 2.6;
  const int n = Samples(seconds);
  Signal s = Silence(n);
  // Each of the people claps at their own steady pace, starting and stopping a little apart.
  for (int person = 0; person < 26; ++person) {
    const double centre = NextRange(prng, 900, 2600);
    const double period = NextRange(prng, 0.18, 0.3);
    const double loud = NextRange(prng, 0.5, 1.0);
    const double stop = NextRange(prng, 1.7, 2.4);
    for (double t = NextRange(prng, 0.0, 0.25); t < stop; t += period * NextRange(prng, 0.9, 1.1)) {
      const int length = Samples(NextRange(prng, 0.012, 0.025));
      Signal clap = Noise(prng, length);
      Filter(clap, BandPass(centre * NextRange(prng, 0.9, 1.1), 1.3));
      for (int i = 0; i < length; ++i) {
        clap[std::size_t(i)] *= Envelope(double(i) / SampleRate, 0.0015, 0.005);
      }
      // The crowd swells in and dies away.
      const double swell = std::min(1.0, t / 0.35) * std::min(1.0, (stop - t) / 0.6 + 0.3);
      MixInto(s, clap, Samples(t), loud * swell);
    }
  }
  // The room: a soft wash of noise under the claps.
  Signal room = Noise(prng, n);
  Filter(room, BandPass(1400, 0.6));
  for (int i = 0; i < n; ++i) {
    const double t = double(i) / SampleRate;
    s[std::size_t(i)] +=
        0.12 * room[std::size_t(i)] * std::min(1.0, t / 0.3) * std::max(0.0, 1 - t / seconds);
  }
  Filter(s, HighPass(250, 0.7));
  Normalise(s, 0.9);
  FadeEdges(s, 0.3);
  return s;
}

// One brass-like note: harmonics falling off with their number, a gentle vibrato that sets in
// after the attack, and a soft release.
void Note(Signal& s, double start, double length, double freq, double gain) {
  const int first = Samples(start);
  const int n = Samples(length + 0.25);
  double phase = 0;
  for (int i = 0; i < n; ++i) {
    const double t = double(i) / SampleRate;
    const double vibrato = 1 + 0.004 * std::min(1.0, t / 0.3) * std::sin(2 * Pi * 5.5 * t);
    phase += 2 * Pi * freq * vibrato / SampleRate;
    // The note brightens as it swells: higher harmonics grow in during the attack.
    const double bright = std::min(1.0, t / 0.04);
    double v = 0;
    for (int h = 1; h <= 6 && h * freq < Nyquist * 0.9; ++h) {
      v += std::sin(h * phase) * (h == 1 ? 1.0 : bright * 0.6 / h);
    }
    double level = t < 0.015 ? 0.5 - 0.5 * std::cos(Pi * t / 0.015)
                             : 0.8 + 0.2 * std::exp(-(t - 0.015) / 0.06);
    if (t > length) level *= std::exp(-(t - length) / 0.06);
    const std::size_t at = std::size_t(first + i);
    if (at < s.size()) s[at] += gain * level * v;
  }
}

// The fanfare when the last level is reached: a bright major arpeggio (C, E, G, C) that
// lands on a held chord.
Signal Finished() {
  Signal s = Silence(Samples(2.2));
  const double c5 = 523.25, e5 = 659.26, g5 = 783.99, c6 = 1046.5;
  Note(s, 0.00, 0.13, c5, 1.2);
  Note(s, 0.15, 0.13, e5, 1.2);
  Note(s, 0.30, 0.13, g5, 1.2);
  Note(s, 0.45, 1.25, c6, 0.9);
  // The held chord under the top note.
  Note(s, 0.45, 1.25, g5, 0.45);
  Note(s, 0.45, 1.25, e5, 0.4);
  Note(s, 0.45, 1.25, c5 / 2, 0.5);
  Normalise(s, 0.9);
  FadeEdges(s, 0.35);
  return s;
}

using platform::Put16;
using platform::Put32;

void PutId(std::vector<std::uint8_t>& out, const char* id) {
  out.insert(out.end(), id, id + 4);
}

// A plain RIFF WAVE: a 16-byte PCM "fmt " chunk and a "data" chunk of 8-bit unsigned samples.
bool WriteWav(const std::string& path, const Signal& s) {
  std::vector<std::uint8_t> data;
  data.reserve(s.size() + 1);
  for (double v : s)
    data.push_back(std::uint8_t(std::lround(128 + 127 * std::clamp(v, -1.0, 1.0))));
  // An even length needs no RIFF pad byte.
  if (data.size() % 2) data.push_back(128);
  std::vector<std::uint8_t> out;
  PutId(out, "RIFF");
  Put32(out, std::uint32_t(4 + 8 + 16 + 8 + data.size()));
  PutId(out, "WAVE");
  PutId(out, "fmt ");
  Put32(out, 16);
  Put16(out, 1);           // PCM
  Put16(out, 1);           // mono
  Put32(out, SampleRate);  // samples per second
  Put32(out, SampleRate);  // bytes per second
  Put16(out, 1);           // block alignment
  Put16(out, 8);           // bits per sample
  PutId(out, "data");
  Put32(out, std::uint32_t(data.size()));
  out.insert(out.end(), data.begin(), data.end());
  return platform::ReplaceFileAtomically(path.c_str(), out.data(), out.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: yelko-sounds OUTDIR\n");
    return 2;
  }
  const std::string dir = argv[1];
  struct {
    const char* name;
    Signal (*make)();
  } const sounds[] = {{"walk.wav", Walk},
                      {"thump.wav", Thump},
                      {"crunch.wav", Crunch},
                      {"bifald.wav", Bifald},
                      {"finished.wav", Finished}};
  for (const auto& sound : sounds) {
    const std::string path = dir + "/" + sound.name;
    if (!WriteWav(path, sound.make())) {
      std::fprintf(stderr, "%s: cannot write it\n", path.c_str());
      return 1;
    }
  }
  return 0;
}
