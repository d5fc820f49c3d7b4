// The design report in a real browser: writes the report of a job, opens it
// in Debian's Chromium with every network request refused and recorded, waits
// for the charts and checks that each expected chart was drawn, that the page
// logged no error and asked for nothing, and that every failed element of the
// design is listed with a reason in numbers. Leaves screenshots of the first
// page and of one stiffener, and A4 and Letter prints, in OUT_DIR.
// Usage: node render_report.mjs OSTREL_DESIGN JOB.json OUT_DIR
import { execFileSync } from 'node:child_process';
import { mkdirSync, readFileSync, statSync } from 'node:fs';
import { basename, join } from 'node:path';
import { pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

const [program, jobPath, outDir] = process.argv.slice(2);
mkdirSync(outDir, { recursive: true });
const name = basename(jobPath, '.json');
const reportPath = join(outDir, `${name}.html`);
const problems = [];
const check = (ok, what) => { if (!ok) problems.push(what); };

execFileSync(program, ['report', jobPath, '-o', reportPath, '--no-progress'], { stdio: 'inherit' });
const results = JSON.parse(execFileSync(program, ['run', jobPath, '--no-progress'],
                                        { stdio: ['ignore', 'pipe', 'ignore'] }).toString());
const job = JSON.parse(readFileSync(jobPath, 'utf8'));

// The charts the job calls for: four drawings of the wall when it has
// geometry; per stiffener a P-M curve and, unless flanged, a Muy-Muz contour;
// a strip curve for each of the 20 most loaded plates.
const flanged = (s) => s.f_LeftFlangeWidth > 0 || s.f_RightFlangeWidth > 0;
const expected = (job.geometry ? 4 : 0) + job.stiffeners.length +
  job.stiffeners.filter((s) => !flanged(s)).length + Math.min(20, job.plates.length);
const isFailed = (status) => status !== 0 && status !== 1;
const failed = [];
results.plates.forEach((p, i) => {
  if (isFailed(p.bt_DsignStatus_x) || isFailed(p.bt_DsignStatus_y)) failed.push(`plate ${i + 1}`);
});
results.stiffeners.forEach((s, i) => {
  if (isFailed(s.flexure.bt_DesignStatus) || isFailed(s.shear.bt_DsignStatus)) {
    failed.push(`stiffener ${i + 1}`);
  }
});

// Playwright starts Chromium headless with a fresh profile of its own.
const browser = await chromium.launch({
  executablePath: process.env.CHROMIUM || '/usr/bin/chromium',
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
try {
  const page = await browser.newPage({ viewport: { width: 1150, height: 1500 } });
  const errors = [];
  const requests = [];
  page.on('console', (m) => { if (m.type() === 'error') errors.push(m.text()); });
  page.on('pageerror', (e) => errors.push(String(e)));
  const reportUrl = pathToFileURL(reportPath).href;
  await page.route('**/*', (route) => {
    const url = route.request().url();
    if (url === reportUrl) return route.continue();
    requests.push(url);
    return route.abort();
  });
  const start = Date.now();
  await page.goto(reportUrl);
  await page.waitForSelector('body[data-report-ready]', { timeout: 120000 });
  const seconds = (Date.now() - start) / 1000;
  const state = await page.evaluate(() => ({
    expected: Number(document.body.dataset.chartsExpected),
    drawn: Number(document.body.dataset.chartsDrawn),
    failed: Number(document.body.dataset.chartsFailed),
    charts: document.querySelectorAll('[data-chart]').length,
    withMarks: document.querySelectorAll('[data-chart] svg .mark-line, [data-chart] svg .mark-rect, ' +
                                         '[data-chart] svg .mark-symbol').length,
    chartsWithSvg: Array.from(document.querySelectorAll('[data-chart]'))
      .filter((c) => c.querySelector('svg, canvas')).length,
    failedRows: Array.from(document.querySelectorAll('#failed tbody tr'))
      .map((r) => [r.cells[0].textContent, r.cells[2].textContent]),
    tableRows: Array.from(document.querySelectorAll('[data-table] tbody'))
      .map((t) => t.rows.length),
    tableCounts: Array.from(document.querySelectorAll('[data-table] .controls span'))
      .map((s) => s.textContent),
  }));
  console.log(`${name}: ${state.drawn} of ${expected} charts drawn in ${seconds.toFixed(1)} s`);
  check(state.expected === expected && state.charts === expected,
        `charts: the page has ${state.charts} (says ${state.expected}), the job calls for ${expected}`);
  check(state.drawn === expected && state.chartsWithSvg === expected && state.failed === 0,
        `${state.drawn} charts drawn, ${state.failed} failed, ${state.chartsWithSvg} with a drawing`);
  check(state.withMarks > 0, 'the charts hold no marks');
  check(errors.length === 0, `page errors: ${errors.join(' | ')}`);
  check(requests.length === 0, `network requests: ${requests.join(' ')}`);
  check(failed.length > 0, 'the example has failed elements to list');
  const listed = new Map(state.failedRows);
  for (const element of failed) {
    const reason = listed.get(element);
    check(reason !== undefined, `${element} failed but is not listed`);
    check(reason === undefined || /\d/.test(reason), `${element}: no numbers in "${reason}"`);
  }
  check(state.failedRows.length === failed.length,
        `${state.failedRows.length} failed elements listed, the design has ${failed.length}`);
  const counts = [results.nodes.length, results.plates.length, results.stiffeners.length];
  check(JSON.stringify(state.tableRows) === JSON.stringify(counts.map((n) => Math.min(n, 200))) &&
        state.tableCounts.every((t, i) => t.endsWith(`${counts[i]} rows`)),
        `table rows ${state.tableRows} (${state.tableCounts}), the design has ${counts}`);

  await page.screenshot({ path: join(outDir, `${name}-first-page.png`) });
  const stiffener = await page.$('.element.stiffener.fail') || await page.$('.element.stiffener');
  if (stiffener) await stiffener.screenshot({ path: join(outDir, `${name}-stiffener.png`) });
  for (const format of ['A4', 'Letter']) {
    const pdf = join(outDir, `${name}-${format}.pdf`);
    await page.pdf({ path: pdf, format });
    check(statSync(pdf).size > 10000, `${format} print is empty`);
  }
} finally {
  await browser.close();
}
if (problems.length) {
  console.error(problems.map((p) => `FAILED: ${p}`).join('\n'));
  process.exit(1);
}
console.log(`${name}: report checks passed`);
