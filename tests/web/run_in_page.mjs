// Runs a test program built for the page in a browser engine (headless
// Chromium unless told otherwise) and reports as it would on a terminal:
// its output, and its exit code as ours.
//   node run_in_page.mjs FOLDER PROGRAM [TIMEOUT_SECONDS] [--engine chromium|firefox|webkit]
// FOLDER holds test_page.html and PROGRAM.js / PROGRAM.wasm.
import { serve } from './serve.mjs';
import { engines, launch, until } from './browser.mjs';

const args = process.argv.slice(2);
const engineAt = args.indexOf('--engine');
const engine = engineAt >= 0 ? args.splice(engineAt, 2)[1] : 'chromium';
const [folder, program, seconds = '120'] = args;
if (!folder || !program || !engines.includes(engine)) {
  console.error(`usage: node run_in_page.mjs FOLDER PROGRAM [TIMEOUT_SECONDS] [--engine ${engines.join('|')}]`);
  process.exit(2);
}
const server = await serve(folder);
const browser = await launch({ engine });
let code = 1;
try {
  await browser.navigate(`http://127.0.0.1:${server.port}/test_page.html?program=${encodeURIComponent(program)}`);
  const result = await until(`${program} to end`,
    () => browser.script(() => document.body.dataset.exitCode === undefined ? null
                                : { code: Number(document.body.dataset.exitCode), out: document.getElementById('out').textContent }),
    Number(seconds) * 1000, 100).catch(async (e) => ({
      code: 1, out: (await browser.script(() => (document.getElementById('out') || {}).textContent || '')) + `\n${e.message}\n` }));
  process.stdout.write(result.out);
  code = result.code;
} catch (e) {
  console.log(`${program}: ${e.stack || e}`);
} finally {
  await browser.close();
  await server.close();
}
process.exit(code);
