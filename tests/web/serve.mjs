// A static file server for the page on 127.0.0.1, with the types a browser
// needs (WebAssembly is compiled while it streams only as application/wasm).
//   node serve.mjs FOLDER [PORT]     PORT 0 (or none) picks a free port
// As a module: serve(folder, port) resolves to {port, close()}.
import http from 'node:http';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const types = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
  '.png': 'image/png',
  '.ico': 'image/x-icon',
};

export function serve(folder, port = 0) {
  const root = path.resolve(folder);
  const server = http.createServer((req, res) => {
    let name;
    try {
      name = decodeURIComponent(new URL(req.url, 'http://127.0.0.1').pathname);
    } catch {
      res.writeHead(400).end();
      return;
    }
    if (name.endsWith('/')) name += 'index.html';
    const file = path.resolve(root, '.' + name);
    // Nothing outside the folder is served.
    if (file !== root && !file.startsWith(root + path.sep)) {
      res.writeHead(403).end();
      return;
    }
    fs.readFile(file, (err, data) => {
      if (err) {
        res.writeHead(404, { 'Content-Type': 'text/plain' }).end('not found');
        return;
      }
      res.writeHead(200, {
        'Content-Type': types[path.extname(file)] || 'application/octet-stream',
        'Cache-Control': 'no-store',
      });
      res.end(data);
    });
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', () =>
      // (Closing drops the connections a browser keeps open too: no server is left at all.)
      resolve({ port: server.address().port, close: () => new Promise((r) => { server.close(r); server.closeAllConnections(); }) }));
  });
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const folder = process.argv[2];
  if (!folder) {
    console.error('usage: node serve.mjs FOLDER [PORT]');
    process.exit(2);
  }
  const { port } = await serve(folder, Number(process.argv[3] || 0));
  console.log(`serving ${path.resolve(folder)} at http://127.0.0.1:${port}/ (Ctrl+C ends)`);
}
