// Generates chart_reference.csv: independent reference values for the chart
// calculator tests, computed with astronomy-engine (no Swiss Ephemeris code or data).
//
// How to run (astronomy-engine is installed outside the repository):
//   mkdir -p /tmp/refgen && (cd /tmp/refgen && npm install astronomy-engine@2.1.19)
//   NODE_PATH=/tmp/refgen/node_modules node generate_reference.mjs > chart_reference.csv
//
// Formulas and tolerances are explained in README.md next to this file.

import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';
import { dirname, join } from 'node:path';
import { pathToFileURL } from 'node:url';

const require = createRequire(import.meta.url); // CommonJS require honours NODE_PATH
const Astronomy = require('astronomy-engine');
const { Body } = Astronomy;

const EXPECTED_ENGINE_VERSION = '2.1.19';

// ---------------------------------------------------------------- cases

// Clock times are UT. Latitude north positive, longitude east positive.
const CASES = [
  { name: 'capetown_1905', ut: [1905, 2, 3, 6, 0], lat: -33.9249, lon: 18.4241, sidereal: false },
  { name: 'houston_1949', ut: [1949, 9, 22, 16, 43], lat: 29.7604, lon: -95.3698, sidereal: true },
  { name: 'santiago_1975', ut: [1975, 8, 10, 14, 20], lat: -33.4489, lon: -70.6693, sidereal: false },
  { name: 'reykjavik_1990', ut: [1990, 6, 21, 23, 15], lat: 64.1466, lon: -21.9426, sidereal: false },
  { name: 'tokyo_2000', ut: [2000, 1, 1, 3, 0], lat: 35.6762, lon: 139.6503, sidereal: true },
  { name: 'tromso_2010', ut: [2010, 12, 21, 19, 0], lat: 69.6492, lon: 18.9553, sidereal: false },
  { name: 'quito_2015', ut: [2015, 7, 4, 18, 5], lat: -0.1807, lon: -78.4678, sidereal: false },
  { name: 'sydney_2024', ut: [2024, 3, 15, 2, 30], lat: -33.8688, lon: 151.2093, sidereal: true },
  { name: 'london_2030', ut: [2030, 4, 10, 9, 45], lat: 51.5074, lon: -0.1278, sidereal: false },
  { name: 'honolulu_2088', ut: [2088, 11, 11, 20, 0], lat: 21.3069, lon: -157.8583, sidereal: false },
];

const PLANETS = ['Sun', 'Moon', 'Mercury', 'Venus', 'Mars', 'Jupiter', 'Saturn', 'Uranus', 'Neptune', 'Pluto'];

// ---------------------------------------------------------------- angles

const RAD = Math.PI / 180;
const sind = (x) => Math.sin(x * RAD);
const cosd = (x) => Math.cos(x * RAD);
const tand = (x) => Math.tan(x * RAD);
const asind = (x) => Math.asin(x) / RAD;
const atan2d = (y, x) => Math.atan2(y, x) / RAD;
const norm360 = (x) => ((x % 360) + 360) % 360;

// ---------------------------------------------------------------- time

// Julian day of a Gregorian calendar date and UT clock time (Meeus, Astronomical Algorithms, ch. 7).
function julianDay(year, month, day, hour, minute) {
  let y = year;
  let m = month;
  if (m <= 2) {
    y -= 1;
    m += 12;
  }
  const a = Math.floor(y / 100);
  const b = 2 - a + Math.floor(a / 4);
  const dayFraction = (hour + minute / 60) / 24;
  return Math.floor(365.25 * (y + 4716)) + Math.floor(30.6001 * (m + 1)) + day + dayFraction + b - 1524.5;
}

// The CSV carries jd_ut with 9 decimals; compute from that same rounded value.
const roundedJd = (jd) => Number(jd.toFixed(9));

// astronomy-engine counts UT days from J2000.0 (JD 2451545.0) and applies its own Delta T.
const astroTime = (jdUt) => Astronomy.MakeTime(jdUt - 2451545.0);

// ---------------------------------------------------------------- planets

// Geocentric apparent position: light-time and aberration, true equator/ecliptic of date.
function apparentPlanet(name, time) {
  const eqj = name === 'Moon' ? apparentMoonEqj(time) : Astronomy.GeoVector(Body[name], time, true);
  const ecliptic = Astronomy.Ecliptic(eqj); // true ecliptic and equinox of date (ECT)
  const eqd = Astronomy.RotateVector(Astronomy.Rotation_EQJ_EQD(time), eqj);
  const equator = Astronomy.EquatorFromVector(eqd); // true equator of date
  return { lon: norm360(ecliptic.elon), dec: equator.dec };
}

// GeoMoon is geometric. For a geocentric observer, annual aberration and the Earth's
// motion during the light time cancel, so the apparent Moon is the geometric Moon
// one light time (~1.3 s, ~0.7") earlier.
function apparentMoonEqj(time) {
  const distanceAu = Astronomy.GeoMoon(time).Length();
  const lightDays = distanceAu / Astronomy.C_AUDAY;
  const v = Astronomy.GeoMoon(time.AddDays(-lightDays));
  return new Astronomy.Vector(v.x, v.y, v.z, time);
}

// ---------------------------------------------------------------- angles of the chart

function trueObliquity(time) {
  return Astronomy.e_tilt(time).tobl;
}

function armcDeg(time, lonEast) {
  return norm360(Astronomy.SiderealTime(time) * 15 + lonEast); // GAST + east longitude
}

function mcFromArmc(armc, eps) {
  return norm360(atan2d(sind(armc), cosd(armc) * cosd(eps)));
}

// Ecliptic point rising on the eastern horizon at the given ARMC.
// Valid for |lat| below the polar circle; callers check the polar case.
function ascFromArmc(armc, eps, lat) {
  return norm360(atan2d(cosd(armc), -(sind(armc) * cosd(eps) + tand(lat) * sind(eps))));
}

// True when lon lies in the half of the ecliptic from MC forward to IC (the eastern half).
const inEasternHalf = (lon, mc) => norm360(lon - mc) < 180;

// Vertex: intersection of the prime vertical and the ecliptic on the western side
// of the meridian. The prime vertical is the horizon of an observer at co-latitude
// 90 - lat whose meridian is turned by 180 degrees. In the tropics (|lat| < eps)
// that formula can return the eastern intersection (the antivertex); flip it then.
function vertex(armc, eps, lat, mc) {
  const candidate = ascFromArmc(armc + 180, eps, 90 - lat);
  return inEasternHalf(candidate, mc) ? norm360(candidate + 180) : candidate;
}

// ---------------------------------------------------------------- house systems

// Ecliptic longitude and declination of the ecliptic point with right ascension ra.
function eclipticPointFromRa(ra, eps) {
  const lon = norm360(atan2d(sind(ra), cosd(ra) * cosd(eps)));
  return { lon, dec: asind(sind(eps) * sind(lon)) };
}

// Diurnal semi-arc in degrees of a point with declination dec.
function diurnalSemiArc(dec, lat) {
  return 90 + asind(tand(lat) * tand(dec));
}

// Solves x = target(x) for x in [0, 180] by bisection; x - target(x) rises from <= 0 to >= 0.
function solveOffset(target) {
  let lo = 0;
  let hi = 180;
  for (let i = 0; i < 200 && hi - lo > 1e-12; i++) {
    const mid = (lo + hi) / 2;
    if (mid - target(mid) < 0) lo = mid;
    else hi = mid;
  }
  return (lo + hi) / 2;
}

// Placidus: the cusp's own semi-arc is trisected. Its right ascension exceeds ARMC by
// fraction * DSA (cusps 11, 12), or by 180 - fraction * NSA (cusps 3, 2).
function placidusCusp(house, armc, eps, lat) {
  const dsaOf = (x) => diurnalSemiArc(eclipticPointFromRa(armc + x, eps).dec, lat);
  const targets = {
    11: (x) => dsaOf(x) / 3,
    12: (x) => (2 * dsaOf(x)) / 3,
    2: (x) => 180 - (2 * (180 - dsaOf(x))) / 3,
    3: (x) => 180 - (180 - dsaOf(x)) / 3,
  };
  return eclipticPointFromRa(armc + solveOffset(targets[house]), eps).lon;
}

// Koch (birthplace houses): the MC degree's diurnal semi-arc is trisected; each cusp is
// the ascendant at ARMC shifted by whole thirds of that semi-arc.
function kochCusp(house, armc, eps, lat, mc) {
  const third = diurnalSemiArc(asind(sind(eps) * sind(mc)), lat) / 3;
  const steps = { 11: -2, 12: -1, 2: 1, 3: 2 };
  return ascFromArmc(armc + steps[house] * third, eps, lat);
}

// Twelve cusps from cusps 10, 11, 12, 1, 2, 3; the rest are their opposites.
function fullHouseCircle(c) {
  const cusps = [];
  for (let n = 1; n <= 12; n++) {
    cusps.push(n in c ? c[n] : norm360(c[((n + 5) % 12) + 1] + 180));
  }
  return cusps;
}

function quadrantCusps(cuspOf, asc, mc) {
  const c = { 1: asc, 10: mc };
  for (const house of [11, 12, 2, 3]) c[house] = cuspOf(house);
  return fullHouseCircle(c);
}

// ---------------------------------------------------------------- sidereal zodiac

// Fagan/Bradley: 24.042044444 deg at JD 2433282.42346 (TT), carried along by the
// IAU 2006 general precession in longitude p_A (Capitaine et al. 2003).
const FAGAN_BRADLEY_T0_JD_TT = 2433282.42346;
const FAGAN_BRADLEY_AYANAMSA_T0 = 24.042044444;

function generalPrecessionArcsec(jdTt) {
  const t = (jdTt - 2451545.0) / 36525;
  return t * (5028.796195 + t * (1.1054348 + t * (0.00007964 + t * (-0.000023857 + t * -0.0000000383))));
}

function meanAyanamsa(time) {
  const jdTt = time.tt + 2451545.0;
  const drift = generalPrecessionArcsec(jdTt) - generalPrecessionArcsec(FAGAN_BRADLEY_T0_JD_TT);
  return FAGAN_BRADLEY_AYANAMSA_T0 + drift / 3600;
}

// Tropical longitudes here are referred to the true equinox, so nutation in longitude
// is added to the mean ayanamsa before subtracting.
function siderealOffset(time) {
  return meanAyanamsa(time) + Astronomy.e_tilt(time).dpsi / 3600;
}

// ---------------------------------------------------------------- tolerances

// Doubt about Delta T in seconds. The polynomial astronomy-engine uses fits the observed
// values to ~1 s up to 2005, runs ahead of them since (+5 s by 2024), and predictions
// for later decades disagree by tens of seconds.
function deltaTUncertaintySec(year) {
  if (year <= 2005) return 1;
  if (year <= 2025) return 1 + 0.25 * (year - 2005);
  return 6 + 1.5 * (year - 2025);
}

// Fastest geocentric motion in arcsec per second of time (turns Delta T doubt into arc).
const MAX_MOTION_ARCSEC_PER_SEC = {
  Sun: 0.043, Moon: 0.64, Mercury: 0.092, Venus: 0.053, Mars: 0.033,
  Jupiter: 0.010, Saturn: 0.0055, Uranus: 0.003, Neptune: 0.0017, Pluto: 0.0017,
};

// astronomy-engine's own error, about twice the largest difference seen against
// JPL DE405 (1960-2060) and VSOP87/ELP2000-82B/Meeus Pluto (1900-2090); see README.
const EPHEMERIS_ARCSEC = {
  Sun: 3, Moon: 5, Mercury: 10, Venus: 12, Mars: 8,
  Jupiter: 15, Saturn: 30, Uranus: 30, Neptune: 30, Pluto: 15,
};

function planetTolerance(name, year) {
  return Math.ceil(EPHEMERIS_ARCSEC[name] + MAX_MOTION_ARCSEC_PER_SEC[name] * deltaTUncertaintySec(year));
}

// Chart angles need GAST (UT only) and the true obliquity; model differences of 0.1-0.2"
// are amplified by up to ~25 at 64 degrees latitude (Koch cusps), hardly at all below 55.
function angleTolerance(lat) {
  return Math.abs(lat) <= 55 ? 3 : 10;
}

function vertexTolerance(lat) {
  return angleTolerance(lat) + 2;
}

// Ayanamsa: other precession models differ from IAU 2006 by a fraction of an arcsecond here.
const SIDEREAL_EXTRA_ARCSEC = 3;

// ---------------------------------------------------------------- published examples

function expectClose(label, actual, expected, toleranceDeg) {
  const diff = Math.abs(norm360(actual - expected + 180) - 180);
  if (diff > toleranceDeg) throw new Error(`${label}: got ${actual.toFixed(5)}, published ${expected}`);
}

// The angle and Placidus formulas must reproduce published worked examples.
function checkAgainstPublishedExamples() {
  // Astro*Index (M. Erlewine), Morinus house entry: obliquity 23.45, latitude 37N, RAMC 113.
  expectClose('Astro*Index MC', mcFromArmc(113, 23.45), 111.2768, 0.0001);
  expectClose('Astro*Index ASC', ascFromArmc(113, 23.45, 37), 198.8521, 0.0001);

  // trans4mind "Calculating the house cusps": LST 1h16m13s, latitude 42N37, 7 May 1982.
  // The ascendant is computed there; the Placidus cusps are interpolated from tables (~1').
  const armc = (1 + 16 / 60 + 13 / 3600) * 15;
  const lat = 42 + 37 / 60;
  const eps = 23.4414;
  expectClose('trans4mind ASC', ascFromArmc(armc, eps, lat), 120 + 5 + 9 / 60, 1 / 60);
  const published = { 11: 30 + 27 + 42 / 60, 12: 90 + 4 + 17 / 60, 2: 120 + 25 + 4 / 60, 3: 150 + 19 + 29 / 60 };
  for (const [house, lon] of Object.entries(published)) {
    expectClose(`trans4mind Placidus ${house}`, placidusCusp(Number(house), armc, eps, lat), lon, 2 / 60);
  }
}

// ---------------------------------------------------------------- rows

function chartRows(c) {
  const jd = roundedJd(julianDay(...c.ut));
  const time = astroTime(jd);
  const year = c.ut[0];
  const eps = trueObliquity(time);
  const armc = armcDeg(time, c.lon);
  const mc = mcFromArmc(armc, eps);
  const asc = ascFromArmc(armc, eps, c.lat);
  if (!inEasternHalf(asc, mc)) {
    throw new Error(`${c.name}: ascendant is not in the eastern half; pick another time`);
  }
  const polar = Math.abs(c.lat) >= 90 - eps; // Placidus and Koch are undefined there
  const angleTol = angleTolerance(c.lat);

  const rows = [];
  const add = (point, value, tol) => rows.push({ point, value, tol });

  const planets = PLANETS.map((name) => ({ name, ...apparentPlanet(name, time) }));
  for (const p of planets) add(p.name, p.lon, planetTolerance(p.name, year));
  for (const p of planets) add(`Decl_${p.name}`, p.dec, planetTolerance(p.name, year));
  add('ASC', asc, angleTol);
  add('MC', mc, angleTol);
  if (!polar) {
    add('Vertex', vertex(armc, eps, c.lat, mc), vertexTolerance(c.lat));
    const placidus = quadrantCusps((h) => placidusCusp(h, armc, eps, c.lat), asc, mc);
    const koch = quadrantCusps((h) => kochCusp(h, armc, eps, c.lat, mc), asc, mc);
    placidus.forEach((v, i) => add(`Placidus_${i + 1}`, v, angleTol));
    koch.forEach((v, i) => add(`Koch_${i + 1}`, v, angleTol));
    for (let n = 1; n <= 12; n++) add(`Equal_${n}`, norm360(asc + 30 * (n - 1)), angleTol);
  }

  const out = rows.map((r) => ({ ...r, jd, zodiac: 'tropical' }));
  if (c.sidereal) out.push(...siderealRows(rows, time, jd));
  return out.map((r) => ({ ...r, c }));
}

// Sidereal rows repeat every longitude (not declinations) minus the ayanamsa of date.
function siderealRows(rows, time, jd) {
  const offset = siderealOffset(time);
  return rows
    .filter((r) => !r.point.startsWith('Decl_'))
    .map((r) => ({ point: r.point, value: norm360(r.value - offset), tol: r.tol + SIDEREAL_EXTRA_ARCSEC, jd, zodiac: 'sidereal' }));
}

function csvLine(r) {
  return [r.c.name, r.jd.toFixed(9), r.c.lat.toFixed(6), r.c.lon.toFixed(6), r.zodiac, r.point, r.value.toFixed(8), r.tol.toFixed(6)].join(',');
}

function checkEngineVersion() {
  const packageDir = dirname(require.resolve('astronomy-engine'));
  const { version } = JSON.parse(readFileSync(join(packageDir, 'package.json'), 'utf8'));
  if (version !== EXPECTED_ENGINE_VERSION) {
    process.stderr.write(`warning: astronomy-engine ${version}, reference data was made with ${EXPECTED_ENGINE_VERSION}\n`);
  }
}

function main() {
  checkEngineVersion();
  checkAgainstPublishedExamples();
  const lines = ['case,jd_ut,lat_deg,lon_deg_east,zodiac,point,value_deg,tolerance_arcsec'];
  for (const c of CASES) lines.push(...chartRows(c).map(csvLine));
  process.stdout.write(lines.join('\n') + '\n');
}

if (import.meta.url === pathToFileURL(process.argv[1]).href) main();

// Exported so the house formulas can be checked on their own.
export { ascFromArmc, mcFromArmc, placidusCusp, kochCusp, vertex, eclipticPointFromRa, diurnalSemiArc };
