-- Meridane: the database and the two roles of a clinic's shared patient book.
--
-- Run it on the database server as the postgres superuser:
--     sudo -u postgres psql -f server-setup.sql
-- Running it again is harmless: what exists is kept, the rights are set again.
--
-- It makes
--   meridane_owner  owns the database and its schema; Meridane run with this role once creates
--                   the tables, and later versions of Meridane upgrade them with it.
--   meridane_desk   the role every desk uses: it reads and writes rows of the book's tables
--                   and nothing else (no tables of its own, no dropping, no emptying a table).
--   database meridane with schema meridane; both roles find the tables there by search_path.
--
-- There are no passwords in this file. Set them afterwards, typed at psql's prompt so that
-- they never appear on a command line or in a shell history:
--     sudo -u postgres psql -c '\password meridane_owner'
--     sudo -u postgres psql -c '\password meridane_desk'
-- Which machines may connect, and only over TLS, is pg_hba.conf's business (see the README).

\set ON_ERROR_STOP on

DO $$
BEGIN
  IF NOT EXISTS (SELECT FROM pg_catalog.pg_roles WHERE rolname = 'meridane_owner') THEN
    CREATE ROLE meridane_owner;
  END IF;
  IF NOT EXISTS (SELECT FROM pg_catalog.pg_roles WHERE rolname = 'meridane_desk') THEN
    CREATE ROLE meridane_desk;
  END IF;
END
$$;

-- Neither role needs any power beyond the book.
ALTER ROLE meridane_owner LOGIN NOSUPERUSER NOCREATEDB NOCREATEROLE NOREPLICATION NOBYPASSRLS;
ALTER ROLE meridane_desk LOGIN NOSUPERUSER NOCREATEDB NOCREATEROLE NOREPLICATION NOBYPASSRLS;

SELECT 'CREATE DATABASE meridane OWNER meridane_owner ENCODING ''UTF8'' TEMPLATE template0'
WHERE NOT EXISTS (SELECT FROM pg_catalog.pg_database WHERE datname = 'meridane') \gexec

ALTER DATABASE meridane OWNER TO meridane_owner;
-- By default every role may connect and make temporary tables; here only the desks may connect.
REVOKE ALL ON DATABASE meridane FROM PUBLIC;
GRANT CONNECT ON DATABASE meridane TO meridane_desk;

ALTER ROLE meridane_owner IN DATABASE meridane SET search_path = meridane;
ALTER ROLE meridane_desk IN DATABASE meridane SET search_path = meridane;

\connect meridane

-- Nothing goes into schema public.
REVOKE ALL ON SCHEMA public FROM PUBLIC;

CREATE SCHEMA IF NOT EXISTS meridane AUTHORIZATION meridane_owner;
ALTER SCHEMA meridane OWNER TO meridane_owner;
REVOKE ALL ON SCHEMA meridane FROM PUBLIC;
GRANT USAGE ON SCHEMA meridane TO meridane_desk;

-- Tables and sequences the owner creates from now on (the program's first start, its upgrades).
ALTER DEFAULT PRIVILEGES FOR ROLE meridane_owner IN SCHEMA meridane
  GRANT SELECT, INSERT, UPDATE, DELETE ON TABLES TO meridane_desk;
ALTER DEFAULT PRIVILEGES FOR ROLE meridane_owner IN SCHEMA meridane
  GRANT USAGE, SELECT ON SEQUENCES TO meridane_desk;

-- And those already there when this script runs again.
GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA meridane TO meridane_desk;
GRANT USAGE, SELECT ON ALL SEQUENCES IN SCHEMA meridane TO meridane_desk;
