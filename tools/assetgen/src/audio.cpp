// Sound effects and background music, synthesized sample by sample and
// encoded to MP3 with LAME.
//
// The music is a small step sequencer: a chord progression drives a bass
// line, an arpeggiator, a pad and a generated lead melody over synthesized
// drums. Every random choice comes from a per-track seeded Rng, so the same
// bytes come out every run.
#include "audio.h"
#include "common.h"

#include <lame/lame.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace ag {
namespace {

constexpr int kRate = 44100;

struct Stereo {
    std::vector<float> l, r;
    explicit Stereo(size_t n) : l(n, 0.f), r(n, 0.f) {}
    size_t size() const { return l.size(); }
};

double midiHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

// PolyBLEP band-limited step correction, keeps the saw/pulse waves clean.
double polyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

struct Osc {
    double phase = 0;
    double saw(double hz) {
        double dt = hz / kRate;
        double v = 2 * phase - 1 - polyBlep(phase, dt);
        phase += dt;
        if (phase >= 1) phase -= 1;
        return v;
    }
    double pulse(double hz, double width) {
        double dt = hz / kRate;
        double v = phase < width ? 1.0 : -1.0;
        v += polyBlep(phase, dt);
        double p2 = phase - width;
        if (p2 < 0) p2 += 1;
        v -= polyBlep(p2, dt);
        phase += dt;
        if (phase >= 1) phase -= 1;
        return v;
    }
    double sine(double hz) {
        double v = std::sin(2 * kPi * phase);
        phase += hz / kRate;
        if (phase >= 1) phase -= 1;
        return v;
    }
};

// Chamberlin state-variable filter (low-pass output), stable for cutoffs
// well below Nyquist/6, which is all we use.
struct Svf {
    double low = 0, band = 0;
    // 2*sin(pi*fc/fs) by its Taylor series: exact enough for x < 0.5 and far
    // cheaper than calling sin() per sample.
    static double coeff(double cutoff) {
        double x = kPi * std::min(cutoff, kRate / 6.5) / kRate, x2 = x * x;
        return 2 * x * (1 - x2 / 6 * (1 - x2 / 20));
    }
    double lp(double in, double cutoff, double q) {
        double f = coeff(cutoff);
        double damp = 1.0 / q;
        low += f * band;
        double high = in - low - damp * band;
        band += f * high;
        return low;
    }
    double hp(double in, double cutoff, double q) {
        double f = coeff(cutoff);
        low += f * band;
        double high = in - low - band / q;
        band += f * high;
        return high;
    }
    double bp(double in, double cutoff, double q) {
        lp(in, cutoff, q);
        return band;
    }
};

struct Noise {
    Rng rng;
    explicit Noise(uint64_t seed) : rng(seed) {}
    double white() { return rng.uniform() * 2 - 1; }
};

double adsr(double t, double len, double a, double d, double s, double r) {
    double v;
    if (t < a) v = t / a;
    else if (t < a + d) v = 1 - (1 - s) * (t - a) / d;
    else v = s;
    if (t > len) v *= std::max(0.0, 1 - (t - len) / r);
    return v;
}

void addMono(Stereo& out, size_t start, const std::vector<float>& v, double gain, double pan) {
    double gl = gain * std::cos((pan + 1) * kPi / 4), gr = gain * std::sin((pan + 1) * kPi / 4);
    for (size_t i = 0; i < v.size() && start + i < out.size(); ++i) {
        out.l[start + i] += float(v[i] * gl);
        out.r[start + i] += float(v[i] * gr);
    }
}

// ------------------------------------------------------------------ drums

std::vector<float> kick(double punch) {
    std::vector<float> v(size_t(0.4 * kRate));
    Osc o;
    for (size_t i = 0; i < v.size(); ++i) {
        double t = double(i) / kRate;
        double f = 48 + 120 * punch * std::exp(-t * 28);
        double a = std::exp(-t * 7.5) * std::min(1.0, t * 2000);
        double click = std::exp(-t * 300) * 0.4;
        v[i] = float(std::tanh((o.sine(f) * a + click) * 1.6));
    }
    return v;
}

std::vector<float> snare(uint64_t seed) {
    std::vector<float> v(size_t(0.3 * kRate));
    Noise n(seed);
    Svf hp, bp;
    Osc o;
    for (size_t i = 0; i < v.size(); ++i) {
        double t = double(i) / kRate;
        double nz = hp.hp(n.white(), 1200, 0.7) * std::exp(-t * 16);
        double body = o.sine(185 + 40 * std::exp(-t * 40)) * std::exp(-t * 28);
        double ring = bp.bp(n.white(), 3800, 2.0) * std::exp(-t * 22) * 0.5;
        v[i] = float(0.55 * nz + 0.6 * body + ring);
    }
    return v;
}

std::vector<float> hat(uint64_t seed, bool open) {
    std::vector<float> v(size_t((open ? 0.35 : 0.08) * kRate));
    Noise n(seed);
    Svf hp;
    for (size_t i = 0; i < v.size(); ++i) {
        double t = double(i) / kRate;
        double x = hp.hp(n.white(), 6500, 0.8);
        v[i] = float(x * std::exp(-t * (open ? 9 : 55)));
    }
    return v;
}

std::vector<float> crash(uint64_t seed) {
    std::vector<float> v(size_t(1.6 * kRate));
    Noise n(seed);
    Svf hp, bp;
    for (size_t i = 0; i < v.size(); ++i) {
        double t = double(i) / kRate;
        double x = hp.hp(n.white(), 4000, 0.7) + 0.4 * bp.bp(n.white(), 8500, 3);
        v[i] = float(x * std::exp(-t * 2.6) * 0.7);
    }
    return v;
}

// ------------------------------------------------------------ instruments

std::vector<float> bassNote(double note, double len, double bright) {
    std::vector<float> v(size_t((len + 0.05) * kRate));
    Osc a, b, sub;
    Svf f;
    double hz = midiHz(note);
    for (size_t i = 0; i < v.size(); ++i) {
        double t = double(i) / kRate;
        double env = adsr(t, len, 0.003, 0.12, 0.7, 0.04);
        double cut = 180 + 1800 * bright * std::exp(-t * 14);
        double x = 0.5 * a.saw(hz) + 0.5 * b.saw(hz * 1.006) + 0.8 * sub.sine(hz);
        v[i] = float(f.lp(x, cut, 1.8) * env);
    }
    return v;
}

std::vector<float> pluck(double note, double len, double width, double bright) {
    std::vector<float> v(size_t((len + 0.12) * kRate));
    Osc o;
    Svf f;
    double hz = midiHz(note);
    for (size_t i = 0; i < v.size(); ++i) {
        double t = double(i) / kRate;
        double env = std::exp(-t * 11) * std::min(1.0, t * 800) * (t < len ? 1 : std::max(0.0, 1 - (t - len) / 0.1));
        double cut = 600 + 4200 * bright * std::exp(-t * 18);
        v[i] = float(f.lp(o.pulse(hz, width), cut, 1.4) * env);
    }
    return v;
}

std::vector<float> leadNote(double note, double len, int wave, double bright) {
    std::vector<float> v(size_t((len + 0.25) * kRate));
    Osc a, b, lfo;
    Svf f;
    double hz = midiHz(note);
    for (size_t i = 0; i < v.size(); ++i) {
        double t = double(i) / kRate;
        double vib = 1 + 0.006 * lfo.sine(5.5) * smoothstep(0.15, 0.4, t);
        double env = adsr(t, len, 0.008, 0.2, 0.75, 0.22);
        double x = wave == 0 ? 0.5 * (a.saw(hz * vib) + b.saw(hz * vib * 1.008))
                             : 0.5 * (a.pulse(hz * vib, 0.3) + b.saw(hz * vib * 0.996));
        double cut = 900 + 3800 * bright * (0.6 + 0.4 * std::exp(-t * 5));
        v[i] = float(f.lp(x, cut, 1.2) * env);
    }
    return v;
}

std::vector<float> padChord(const std::vector<int>& notes, double len) {
    std::vector<float> v(size_t((len + 0.6) * kRate));
    std::vector<Osc> osc(notes.size() * 3);
    Svf f;
    for (size_t i = 0; i < v.size(); ++i) {
        double t = double(i) / kRate;
        double env = adsr(t, len, 0.35, 0.4, 0.8, 0.55);
        double x = 0;
        for (size_t k = 0; k < notes.size(); ++k) {
            double hz = midiHz(notes[k]);
            x += osc[k * 3].saw(hz * 0.997) + osc[k * 3 + 1].saw(hz * 1.003) + 0.5 * osc[k * 3 + 2].saw(hz * 2.001);
        }
        v[i] = float(f.lp(x / notes.size(), 1300 + 500 * std::sin(t * 1.3), 0.9) * env * 0.5);
    }
    return v;
}

// ----------------------------------------------------------------- songs

struct SongDef {
    double bpm;
    int bars;
    int root;                 // MIDI note of the tonic (bass register octave below)
    int scale[7];             // semitone offsets of the scale degrees
    int progression[8];       // scale degree (0-based) of each chord, one per bar, 8-bar cycle
    uint64_t seed;
    int leadWave;
    double swing;
};

// Chord tones (triad + 7th) built on a scale degree.
std::vector<int> chordTones(const SongDef& s, int degree, int octave) {
    std::vector<int> out;
    for (int k : {0, 2, 4, 6}) {
        int d = degree + k;
        out.push_back(s.root + 12 * octave + s.scale[d % 7] + 12 * (d / 7));
    }
    return out;
}

int scaleNote(const SongDef& s, int step, int octave) {
    int o = step >= 0 ? step / 7 : -((-step + 6) / 7);
    int d = step - o * 7;
    return s.root + 12 * (octave + o) + s.scale[d];
}

// Section layout, in bars: intensity tells which parts play.
enum Section { kIntro, kMain, kBreak, kDrive, kOutro };

Section sectionAt(int bar, int bars) {
    if (bar < 4) return kIntro;
    if (bar < 20) return kMain;
    if (bar < 28) return kBreak;
    if (bar < bars - 4) return kDrive;
    return kOutro;
}

Stereo renderSong(const SongDef& s) {
    const double beat = 60.0 / s.bpm, bar = beat * 4, step = beat / 4;
    const size_t total = size_t(std::lround(s.bars * bar * kRate));
    Stereo mix(total), arpBus(total), leadBus(total);
    std::vector<float> duck(total, 0.f);

    auto at = [&](double seconds) { return size_t(std::lround(seconds * kRate)); };
    auto sw = [&](int st) { return (st % 2) ? s.swing * step : 0.0; };

    const auto kk = kick(1.0);
    const auto sn = snare(s.seed + 1);
    const auto hc = hat(s.seed + 2, false);
    const auto ho = hat(s.seed + 3, true);
    const auto cr = crash(s.seed + 4);

    // Drum patterns: 16 steps, one set per song flavour.
    int kickPat[2][16] = {{1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0},
                          {1, 0, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 1, 0, 0, 0}};
    int variant = int(s.seed % 2);

    // Lead melody: a 4-bar phrase generated once per song, then reused with
    // a varied ending so the tune is recognisable.
    struct Note {
        int step, len, pitch;
    };
    auto makePhrase = [&](int firstBar, Rng& r) {
        std::vector<Note> ph;
        int cur = 7 + r.irange(0, 4);  // scale step around the tonic an octave up
        static const int rhythms[4][8] = {{0, 3, 6, 8, 10, 12, -1, -1},
                                          {0, 2, 4, 6, 8, 11, 14, -1},
                                          {0, 4, 6, 10, 12, -1, -1, -1},
                                          {0, 3, 4, 7, 8, 10, 12, 14}};
        for (int b = 0; b < 4; ++b) {
            const int* rh = rhythms[r.irange(0, 3)];
            int deg = s.progression[(firstBar + b) % 8];
            for (int i = 0; i < 8 && rh[i] >= 0; ++i) {
                int next = (i + 1 < 8 && rh[i + 1] >= 0) ? rh[i + 1] : 16;
                bool strong = rh[i] % 4 == 0;
                if (strong) {
                    // Land on a chord tone near the current note.
                    int best = cur, bestD = 99;
                    for (int k : {0, 2, 4}) {
                        for (int o = -1; o <= 2; ++o) {
                            int cand = deg + k + o * 7;
                            int dd = std::abs(cand - cur);
                            if (dd < bestD && cand >= 4 && cand <= 16) bestD = dd, best = cand;
                        }
                    }
                    cur = best;
                } else {
                    cur += r.irange(-2, 2);
                    cur = std::clamp(cur, 4, 16);
                }
                int len = std::max(1, next - rh[i] - (r.chance(0.3) ? 1 : 0));
                ph.push_back({b * 16 + rh[i], len, cur});
            }
        }
        return ph;
    };
    Rng mel(s.seed * 31 + 7);
    auto phraseA = makePhrase(0, mel);
    auto phraseB = makePhrase(4, mel);
    auto phraseC = makePhrase(0, mel);  // breakdown melody

    for (int b = 0; b < s.bars; ++b) {
        Section sec = sectionAt(b, s.bars);
        double t0 = b * bar;
        int deg = s.progression[b % 8];
        auto chord = chordTones(s, deg, 0);
        bool lastOfSection = sectionAt(b + 1, s.bars) != sec;

        // Drums.
        for (int st = 0; st < 16; ++st) {
            double t = t0 + st * step + sw(st);
            bool fill = lastOfSection && st >= 12;
            if (sec != kBreak || b % 8 >= 6) {
                if (kickPat[variant][st] || (fill && st % 2 == 0 && sec != kIntro)) {
                    addMono(mix, at(t), kk, 0.95, 0);
                    for (size_t i = 0; i < size_t(0.25 * kRate) && at(t) + i < total; ++i)
                        duck[at(t) + i] = std::max(duck[at(t) + i], float(std::exp(-double(i) / kRate * 9)));
                }
            }
            if (sec != kIntro && sec != kBreak) {
                if (st == 4 || st == 12) addMono(mix, at(t), sn, 0.55, 0.05);
                if (fill && (st == 13 || st == 14 || st == 15)) addMono(mix, at(t), sn, 0.35, -0.1);
            }
            if (sec != kBreak || b % 8 >= 4) {
                if (st % 2 == 0) addMono(mix, at(t), hc, st % 4 == 2 ? 0.3 : 0.2, 0.3);
                else if (sec == kDrive || sec == kMain) addMono(mix, at(t), hc, 0.12, 0.35);
                if (st == 14 && sec == kDrive) addMono(mix, at(t), ho, 0.12, 0.3);
            }
        }
        if (b == 4 || b == 20 || b == 28 || b == s.bars - 4) addMono(mix, at(t0), cr, 0.3, -0.2);

        // Bass: driving eighths with octave hops, thinned in the breakdown.
        if (sec != kIntro || b >= 2) {
            for (int e = 0; e < 8; ++e) {
                if (sec == kBreak && e % 2) continue;
                int n = chord[0] - 12 + ((e % 4 == 3) ? 12 : 0);
                if (e == 7 && sec == kDrive) n = chord[2] - 12;
                while (n < 28) n += 12;  // keep the bass above ~41 Hz
                double len = (sec == kBreak ? 2 : 1) * step * 2 * 0.85;
                addMono(mix, at(t0 + e * step * 2 + sw(e * 2)), bassNote(n, len, sec == kDrive ? 1.0 : 0.7), 0.36, 0);
            }
        }

        // Pad holds the chord through the bar.
        addMono(mix, at(t0), padChord({chord[0] + 12, chord[1] + 12, chord[2] + 12, chord[3] + 12}, bar * 0.98),
                sec == kBreak ? 0.18 : 0.11, 0);

        // Arpeggio: 16ths over chord tones spanning two octaves.
        if (sec != kOutro || b < s.bars - 1) {
            static const int shapes[3][8] = {{0, 1, 2, 3, 4, 3, 2, 1}, {0, 2, 1, 3, 2, 4, 3, 5}, {0, 1, 2, 4, 3, 2, 1, 2}};
            const int* shape = shapes[s.seed % 3];
            double bright = sec == kIntro ? 0.25 + 0.2 * b : (sec == kBreak ? 0.5 : 0.9);
            for (int st = 0; st < 16; ++st) {
                int idx = shape[st % 8];
                int n = chord[idx % 4] + 12 * (1 + idx / 4);
                addMono(arpBus, at(t0 + st * step + sw(st)), pluck(n, step * 0.9, 0.25 + 0.2 * (st % 2), bright),
                        0.13, st % 2 ? 0.45 : -0.45);
            }
        }

        // Lead melody over the main and drive sections; gentler in the breakdown.
        if (sec == kMain || sec == kDrive || sec == kBreak) {
            int phraseBar = (b - 4) % 8;
            const auto& ph = sec == kBreak ? phraseC : (phraseBar < 4 ? phraseA : phraseB);
            int inPhrase = phraseBar % 4;
            for (const Note& n : ph) {
                if (n.step / 16 != inPhrase) continue;
                int pitch = scaleNote(s, n.pitch, 1) + (sec == kDrive && (b / 8) % 2 ? 12 : 0);
                double t = t0 + (n.step % 16) * step + sw(n.step);
                addMono(leadBus, at(t), leadNote(pitch, n.len * step * 0.92, s.leadWave, sec == kBreak ? 0.5 : 0.9),
                        sec == kBreak ? 0.2 : 0.24, 0.1);
                if (sec == kDrive)  // harmony a third below
                    addMono(leadBus, at(t),
                            leadNote(scaleNote(s, n.pitch - 2, 1), n.len * step * 0.92, 1 - s.leadWave, 0.6), 0.08,
                            -0.3);
            }
        }
    }

    // Ping-pong delay on the arpeggio (dotted eighth), a short echo on the lead.
    auto delay = [&](Stereo& bus, double seconds, double fb, double wet, bool pingpong) {
        size_t d = at(seconds);
        Stereo out = bus;
        for (size_t i = d; i < total; ++i) {
            float l = out.l[i - d], r = out.r[i - d];
            out.l[i] += float((pingpong ? r : l) * fb);
            out.r[i] += float((pingpong ? l : r) * fb);
        }
        for (size_t i = 0; i < total; ++i) {
            bus.l[i] = float(bus.l[i] * (1 - wet) + out.l[i] * wet);
            bus.r[i] = float(bus.r[i] * (1 - wet) + out.r[i] * wet);
        }
    };
    delay(arpBus, beat * 0.75, 0.45, 0.6, true);
    delay(leadBus, beat * 0.5, 0.3, 0.35, true);

    for (size_t i = 0; i < total; ++i) {
        double dk = 1.0 - 0.45 * duck[i];
        mix.l[i] = float(mix.l[i] + (arpBus.l[i] + leadBus.l[i]) * dk);
        mix.r[i] = float(mix.r[i] + (arpBus.r[i] + leadBus.r[i]) * dk);
    }
    return mix;
}

// ------------------------------------------------------------------ output

// Gentle, level-independent limiting: scale so the loudest sample sits at
// 1.2, round it off with tanh, then normalise to `peak`.
void finish(Stereo& s, double peak) {
    double raw = 1e-9;
    for (size_t i = 0; i < s.size(); ++i) raw = std::max({raw, double(std::fabs(s.l[i])), double(std::fabs(s.r[i]))});
    double pre = 1.2 / raw, m = 1e-9;
    for (size_t i = 0; i < s.size(); ++i) {
        s.l[i] = float(std::tanh(s.l[i] * pre));
        s.r[i] = float(std::tanh(s.r[i] * pre));
        m = std::max({m, double(std::fabs(s.l[i])), double(std::fabs(s.r[i]))});
    }
    double g = peak / m;
    for (size_t i = 0; i < s.size(); ++i) {
        s.l[i] = float(s.l[i] * g);
        s.r[i] = float(s.r[i] * g);
    }
    // Short fade at the very end so looping or cutting never clicks.
    size_t fade = std::min<size_t>(s.size(), 441);
    for (size_t i = 0; i < fade; ++i) {
        double k = double(i) / fade;
        s.l[s.size() - 1 - i] = float(s.l[s.size() - 1 - i] * k);
        s.r[s.size() - 1 - i] = float(s.r[s.size() - 1 - i] * k);
    }
}

void writeMp3(const std::string& path, const std::vector<float>& left, const std::vector<float>* right,
              int kbps) {
    lame_t lame = lame_init();
    if (!lame) throw std::runtime_error("lame_init failed");
    lame_set_in_samplerate(lame, kRate);
    lame_set_out_samplerate(lame, kRate);
    lame_set_num_channels(lame, right ? 2 : 1);
    lame_set_mode(lame, right ? JOINT_STEREO : MONO);
    lame_set_brate(lame, kbps);
    lame_set_VBR(lame, vbr_off);
    lame_set_quality(lame, 5);
    lame_set_bWriteVbrTag(lame, 1);  // Info tag: exact length and encoder delay for decoders
    lame_set_write_id3tag_automatic(lame, 0);
    if (lame_init_params(lame) < 0) throw std::runtime_error("lame_init_params failed");

    std::vector<unsigned char> out;
    const size_t chunk = 8192;
    std::vector<unsigned char> buf(size_t(1.25 * chunk + 7200));
    for (size_t pos = 0; pos < left.size(); pos += chunk) {
        int n = int(std::min(chunk, left.size() - pos));
        int got = lame_encode_buffer_ieee_float(lame, left.data() + pos, right ? right->data() + pos : nullptr, n,
                                                buf.data(), int(buf.size()));
        if (got < 0) throw std::runtime_error("lame encode failed");
        out.insert(out.end(), buf.begin(), buf.begin() + got);
    }
    int got = lame_encode_flush(lame, buf.data(), int(buf.size()));
    if (got < 0) throw std::runtime_error("lame flush failed");
    out.insert(out.end(), buf.begin(), buf.begin() + got);
    // The first frame of the stream is a placeholder for the Info tag; fill it in.
    std::vector<unsigned char> tag(4096);
    size_t tagLen = lame_get_lametag_frame(lame, tag.data(), tag.size());
    if (tagLen > 0 && tagLen <= out.size()) std::copy(tag.begin(), tag.begin() + tagLen, out.begin());
    lame_close(lame);

    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot write " + path);
    std::fwrite(out.data(), 1, out.size(), f);
    std::fclose(f);
}

void writeStereo(const std::string& path, Stereo& s, int kbps) { writeMp3(path, s.l, &s.r, kbps); }

void writeMono(const std::string& path, std::vector<float>& v, double peak, int kbps) {
    double m = 1e-9;
    for (float x : v) m = std::max(m, double(std::fabs(x)));
    for (float& x : v) x = float(x * peak / m);
    writeMp3(path, v, nullptr, kbps);
}

// ---------------------------------------------------------- sound effects

std::vector<float> explosion() {
    const size_t n = size_t(1.2 * kRate);
    std::vector<float> v(n);
    Noise nz(0xB0B2);
    Svf lp1, lp2, rumbleF;
    Osc boom;
    double brown = 0;
    for (size_t i = 0; i < n; ++i) {
        double t = double(i) / kRate;
        double w = nz.white();
        // Bright crack that darkens quickly.
        double cut = 200 + 7000 * std::exp(-t * 7);
        double crack = lp2.lp(lp1.lp(w, cut, 0.8), cut, 0.8) * std::exp(-t * 3.2);
        // Low rumble: brown noise plus a falling sine thump.
        brown = brown * 0.995 + w * 0.05;
        double rumble = rumbleF.lp(brown, 120, 1.2) * 3.0 * std::exp(-t * 2.6);
        double thump = boom.sine(38 + 70 * std::exp(-t * 9)) * std::exp(-t * 4.5);
        double attack = std::min(1.0, t * 600);
        double tail = t > 1.05 ? std::max(0.0, 1 - (t - 1.05) / 0.15) : 1.0;
        v[i] = float(std::tanh((crack * 1.2 + rumble + thump * 0.9) * 1.5) * attack * tail);
    }
    return v;
}

std::vector<float> laserShot() {
    const size_t n = size_t(0.2 * kRate);
    std::vector<float> v(n);
    Osc a, b;
    Svf f;
    Noise nz(0x5407);
    for (size_t i = 0; i < n; ++i) {
        double t = double(i) / kRate;
        double hz = 300 + 2200 * std::exp(-t * 22);
        double x = 0.6 * a.pulse(hz, 0.5) + 0.4 * b.saw(hz * 1.5) + 0.15 * nz.white() * std::exp(-t * 60);
        double env = std::min(1.0, t * 2000) * std::exp(-t * 14) * (t > 0.17 ? std::max(0.0, 1 - (t - 0.17) / 0.03) : 1.0);
        v[i] = float(f.lp(x, 1200 + 5000 * std::exp(-t * 15), 1.5) * env);
    }
    return v;
}

// Lock-on blip: the game restarts it every frame, so the whole beep lives in
// the first ~30 ms, starting at full level; the rest is silence.
std::vector<float> lockBlip() {
    const size_t n = size_t(0.1 * kRate);
    std::vector<float> v(n, 0.f);
    Osc a, b;
    for (size_t i = 0; i < n; ++i) {
        double t = double(i) / kRate;
        if (t >= 0.028) break;
        double hz = t < 0.012 ? 1760 : 2090;  // quick two-tone chirp
        double env = std::min(1.0, t / 0.0005) * (t > 0.024 ? std::max(0.0, 1 - (t - 0.024) / 0.004) : 1.0);
        v[i] = float((0.8 * a.sine(hz) + 0.2 * b.pulse(hz, 0.5)) * env);
    }
    return v;
}

}  // namespace

void writeSoundEffects(const std::string& dir) {
    {
        auto v = explosion();
        writeMono(dir + "/bom2.mp3", v, 0.95, 96);
    }
    {
        auto v = laserShot();
        writeMono(dir + "/SHOT.mp3", v, 0.7, 96);
    }
    {
        auto v = lockBlip();
        writeMono(dir + "/Loc2.mp3", v, 0.6, 96);
    }
}

void writeMusic(const std::string& dir, int track) {
    static const SongDef songs[kMusicTracks] = {
        // A minor, i-VI-III-VII / i-VI-iv-v, 142 BPM.
        {142, 49, 45, {0, 2, 3, 5, 7, 8, 10}, {0, 5, 2, 6, 0, 5, 3, 4}, 0xB601, 0, 0.0},
        // E dorian, i-IV-VII-i / i-III-IV-VII, 128 BPM, light swing.
        {128, 44, 40, {0, 2, 3, 5, 7, 9, 10}, {0, 3, 6, 0, 0, 2, 3, 6}, 0xB602, 1, 0.08},
        // D minor, i-VI-VII-v / i-VI-iv-VII, 156 BPM.
        {156, 54, 38, {0, 2, 3, 5, 7, 8, 10}, {0, 5, 6, 4, 0, 5, 3, 6}, 0xB603, 0, 0.0},
    };
    Stereo s = renderSong(songs[track]);
    finish(s, 0.89);
    char name[32];
    std::snprintf(name, sizeof name, "/bgm%02d.mp3", track + 1);
    writeStereo(dir + name, s, 112);
}

}  // namespace ag
